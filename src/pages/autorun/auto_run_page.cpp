#include "pages/autorun/auto_run_page.h"

#include <cstdio>
#include <optional>
#include <string>

#include "pages/autorun/auto_run_programs.h"
#include "pages/autorun/auto_run_state.h"
#include "pages/autorun/auto_run_texts.h"
#include "pages/page_context.h"
#include "platform/message_box.h"
#include "platform/templates/ids_131.h"

namespace talvon {

using namespace auto_run_texts;
using namespace ids131;

namespace {
constexpr std::uint32_t kBrowseFlags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
}  // namespace

CAutoRunPage::CAutoRunPage(PageContext& context, AutoRunState& state)
    : CDialog(IDD), context_(context), state_(state) {
  for (int index = 0; index < AutoRunProgramCount; ++index) {
    Messages().OnCommand(ProgramEdit(index + 1), EN_SETFOCUS, [this, index] { OnFieldFocus(index); });
    Messages().OnCommand(ProgramEdit(index + 1), EN_CHANGE, [this, index] { OnFieldEdited(index); });
  }
  Messages().OnCommand(BrowseButton, BN_CLICKED, [this] { OnBrowse(); });
  Messages().OnCommand(ConfirmSettingButton, BN_CLICKED, [this] { OnConfirmSetting(); });
}

void CAutoRunPage::DoDataExchange(DataExchange& exchange) { exchange.Control(BrowseButton, browseButton_); }

bool CAutoRunPage::OnInitDialog() {
  CDialog::OnInitDialog();
  const AutoRunLoad load = LoadAutoRunPrograms(context_.platform.registry);
  for (int index = 0; index < AutoRunProgramCount; ++index) {
    const AutoRunField& field = load.fields[index];
    if (!field.text.empty()) SetDlgItemText(ProgramEdit(index + 1), field.text);
    state_.keepStored[index] = field.keepUnlessEdited;
  }
  return true;
}

void CAutoRunPage::OnFieldFocus(int index) {
  state_.rememberedField = index;
  browseButton_.EnableWindow(true);
}

void CAutoRunPage::OnFieldEdited(int index) { state_.keepStored[index] = false; }

void CAutoRunPage::OnBrowse() {
  CFileDialog dialog(context_.backend, kBrowseFilter, kBrowseFlags);
  if (dialog.DoModal() != IDOK) return;
  const int index = state_.rememberedField;
  SetDlgItemText(ProgramEdit(index + 1), dialog.GetPathName());
  state_.keepStored[index] = false;
  browseButton_.EnableWindow(false);
}

void CAutoRunPage::OnConfirmSetting() {
  std::array<std::optional<std::string>, AutoRunProgramCount> texts;
  for (int index = 0; index < AutoRunProgramCount; ++index) {
    if (!state_.keepStored[index]) texts[index] = GetDlgItemText(ProgramEdit(index + 1));
  }
  const AutoRunSave save = SaveAutoRunPrograms(context_.platform.registry, texts);
  if (!save.keyOpened) {
    MessageBox(kOpenFailed, kOpenFailedCaption, MB_OK);
    return;
  }
  for (int index = 0; index < AutoRunProgramCount; ++index) {
    if (save.fields[index] == ProgramSave::SetFailed) {
      MessageBox(kSetFailed, kSetFailedCaption, MB_OK);
    } else if (save.fields[index] == ProgramSave::TooLong) {
      char message[200];
      std::snprintf(message, sizeof message, kProgramTooLong, index + 1, index + 1);
      MessageBox(message, kSetFailedCaption, MB_ICONEXCLAMATION);
    }
  }
}

}  // namespace talvon
