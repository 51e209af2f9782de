#pragma once
#include <string>
#include <vector>

#include "platform/dialog_template.h"

// Builders for the items of the utility's templates, so that each template
// reads like its resource script. Every builder gives the item its usual
// style, visible; Hidden(), Disabled() and WithStyle() adjust it.
namespace talvon::templates {

inline constexpr std::uint32_t kVisibleChild = WS_CHILD | WS_VISIBLE;

DialogItem PushButton(int id, std::string text, int x, int y, int w, int h);
// Push button whose text wraps over several lines.
DialogItem MultiLineButton(int id, std::string text, int x, int y, int w, int h);
DialogItem CheckBox(int id, std::string text, int x, int y, int w, int h);
DialogItem GroupBox(std::string text, int x, int y, int w, int h);
DialogItem Text(int id, std::string text, int x, int y, int w, int h);
DialogItem CentredText(int id, std::string text, int x, int y, int w, int h);
DialogItem Picture(int id, int bitmapId, int x, int y, int w, int h);
// A picture with SS_NOTIFY: a tap sends STN_CLICKED.
DialogItem TapPicture(int id, int bitmapId, int x, int y, int w, int h);
DialogItem Edit(int id, int x, int y, int w, int h);
DialogItem Combo(int id, std::vector<std::string> items, int x, int y, int w, int h);
DialogItem Trackbar(int id, std::string text, int x, int y, int w, int h, std::uint32_t trackbarStyle);
DialogItem Progress(int id, std::string text, int x, int y, int w, int h);
DialogItem Tab(int id, std::string text, int x, int y, int w, int h);
DialogItem Tree(int id, std::string text, int x, int y, int w, int h);

DialogItem Hidden(DialogItem item);
DialogItem Disabled(DialogItem item);
// Replaces the style with the exact bits of the resource.
DialogItem WithStyle(DialogItem item, std::uint32_t style);

// Page templates: child dialogs that are not initially visible.
inline constexpr std::uint32_t kPageStyle = WS_CHILD | DS_SETFONT;  // 0x40000040
// Sheets: pop-up with caption and modal frame, created hidden.
inline constexpr std::uint32_t kSheetStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;  // 0x80C000C0

}  // namespace talvon::templates

namespace talvon {

// One function per template, each in its own file.
const DialogTemplate& HomeTemplate102();
const DialogTemplate& RebootSheetTemplate129();
const DialogTemplate& NoRebootSheetTemplate130();
const DialogTemplate& AutoRunPageTemplate131();
const DialogTemplate& SystemInfoPageTemplate132();
const DialogTemplate& UpdatePageTemplate133();
const DialogTemplate& GeneralSettingPageTemplate134();
const DialogTemplate& ServerPageTemplate145();
const DialogTemplate& NewCardPageTemplate237();

}  // namespace talvon
