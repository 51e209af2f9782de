#include "pages/update/update_page.h"

#include <string>

#include "flash/image_files.h"
#include "operations/os_image_update.h"
#include "pages/page_context.h"
#include "pages/update/update_page_state.h"
#include "pages/update/update_texts.h"
#include "platform/message_box.h"
#include "platform/templates/ids_133.h"

namespace talvon {

using namespace ids133;
using namespace update_texts;

namespace {

constexpr std::uint32_t kBrowseFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
constexpr Colour kStatusColour = RGB(255, 0, 0);

}  // namespace

// The write's progress and its messages, shown in the page's own controls.
class CUpdatePage::Progress final : public OsImageUpdateHost {
 public:
  explicit Progress(CUpdatePage& page) : page_(page) {}
  void SetStatusText(std::string_view line) override { page_.statusText_.SetWindowText(line); }
  void SetProgressStep(int step) override { page_.progress_.SetStep(step); }
  void SetProgressRange(int minimum, int maximum) override { page_.progress_.SetRange32(minimum, maximum); }
  void SetProgressPos(int position) override { page_.progress_.SetPos(position); }
  void PumpOneMessage() override { page_.PumpOneMessage(); }
  void ShowError(std::string_view text) override { page_.MessageBox(text, kErrorCaption, MB_ICONSTOP); }
  void FlashWorkStarts() override {
    page_.browseButton_.EnableWindow(false);
    page_.writeButton_.EnableWindow(false);
  }

 private:
  CUpdatePage& page_;
};

CUpdatePage::CUpdatePage(PageContext& context, UpdatePageState& state)
    : CDialog(IDD), context_(context), state_(state) {
  Messages().OnCommand(kBrowseButton, BN_CLICKED, [this] { OnBrowseImage(); });
  Messages().OnCommand(kWriteButton, BN_CLICKED, [this] { OnWriteToFlash(); });
  Messages().OnCtlColor([this](ControlColours& colours, int controlId) { OnCtlColor(colours, controlId); });
}

void CUpdatePage::DoDataExchange(DataExchange& exchange) {
  exchange.Control(kBrowseButton, browseButton_);
  exchange.Control(kWriteButton, writeButton_);
  exchange.Control(kStatusLine, statusText_);
  exchange.Control(kProgressBar, progress_);
}

void CUpdatePage::OnBrowseImage() {
  CFileDialog dialog(context_.backend, kBrowseFilter, kBrowseFlags);
  if (dialog.DoModal() != IDOK) return;
  const std::string& chosen = dialog.GetPathName();
  SetDlgItemText(kPathField, chosen);

  ImagePathBuffer& imagePath = state_.imagePath;
  const ImagePathProblem problem = StoreImagePath(chosen, imagePath);
  if (problem != ImagePathProblem::None) {
    // Refused whole, never cut: the earlier path goes too, so Write cannot
    // pick up a file the operator has just chosen against.
    imagePath.fill('\0');
    MessageBox(problem == ImagePathProblem::TooLong ? kPathTooLong : kPathNotNarrow, kErrorCaption, MB_ICONSTOP);
    writeButton_.EnableWindow(false);
    return;
  }
  switch (IsOsImageFile(context_.platform.files, ImagePathText(imagePath))) {
    case 1:
      writeButton_.EnableWindow(true);
      break;
    case 0:
      MessageBox(kNotBinImage, kErrorCaption, MB_ICONSTOP);
      writeButton_.EnableWindow(false);
      break;
    default:
      // Write erases the flash first, so it must never start on a file that
      // cannot even be opened.
      MessageBox(kCannotOpenChosen, kErrorCaption, MB_ICONSTOP);
      writeButton_.EnableWindow(false);
      break;
  }
}

void CUpdatePage::OnWriteToFlash() {
  Platform& platform = context_.platform;
  BeginWaitCursor();
  Progress progress(*this);
  const OsImageUpdateRoles roles{platform.files, platform.flash, platform.clock, context_.transfer, progress};
  const OsImageUpdateResult result = UpdateOsImage(roles, ImagePathText(state_.imagePath));
  switch (result.outcome) {
    case OsImageUpdateResult::Outcome::Written:
      platform.sdk.Reset_TalVon();
      RestoreWaitCursor();
      EndWaitCursor();
      return;
    case OsImageUpdateResult::Outcome::Refused:
      EndWaitCursor();
      MessageBox(result.message, kErrorCaption, MB_ICONSTOP);
      writeButton_.EnableWindow(false);
      return;
    case OsImageUpdateResult::Outcome::EraseIncomplete:
      context_.appBoxes.AppMessageBox(result.message, MB_ICONSTOP);
      RestoreWaitCursor();
      EndWaitCursor();
      ReopenAfterStop();
      return;
    case OsImageUpdateResult::Outcome::WriteStopped:
      EndWaitCursor();
      MessageBox(result.message, kErrorCaption, MB_ICONSTOP);
      ReopenAfterStop();
      return;
  }
}

void CUpdatePage::ReopenAfterStop() {
  browseButton_.EnableWindow(true);
  writeButton_.EnableWindow(true);
}

void CUpdatePage::OnCtlColor(ControlColours& colours, int controlId) {
  if (controlId == kStatusLine) {
    colours.textColour = kStatusColour;
    colours.backgroundMode = TRANSPARENT;
  }
}

}  // namespace talvon
