#include "pages/general/general_setting_page.h"

#include <algorithm>

#include "operations/backup_restore.h"
#include "pages/general/display_settings.h"
#include "pages/general/general_setting_state.h"
#include "pages/general/general_texts.h"
#include "pages/general/memory_division.h"
#include "pages/general/touch_panel.h"
#include "pages/page_context.h"
#include "platform/message_box.h"
#include "platform/templates/ids_134.h"
#include "platform/text.h"

namespace talvon {

using namespace general_texts;
using namespace ids134;

namespace {

constexpr std::uint32_t kRestoreFileFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
constexpr Colour kFactoryButtonColour = RGB(255, 0, 0);
constexpr std::uint32_t kBoundaryPause = 1000;

constexpr char ActiveXScript[] = "\\compactflash\\Vantro-I\\Lumex\\RegistryOCX.bat";
constexpr char RegionalSettingsApplet[] = "\\Windows\\intll.cpl";

// The caption under the resolution slider at each position.
constexpr const char* kResolutionCaptions[4] = {"320 x 240 pixels", "640 x 480 pixels", "800 x 600 pixels",
                                                "1024 x 768 pixels"};

std::string Kilobytes(std::int64_t kb) { return FormatText(kKilobytesFormat, static_cast<int>(kb)); }

}  // namespace

CGeneralSettingPage::CGeneralSettingPage(PageContext& context, GeneralSettingState& state)
    : CDialog(IDD), context_(context), state_(state) {
  MessageMap& m = Messages();
  m.OnNotify(kResolutionSlider, NM_CUSTOMDRAW,
             [this](const WindowMessage&, LRESULT* result) { UpdateResolutionPreview(result); });
  m.OnCommand(kFactoryButton, BN_CLICKED, [this] { OnRecoverFactorySettings(); });
  m.OnTimer([this](std::uintptr_t) { Default(); });  // ticks change nothing
  m.OnHScroll([this](int code, int position, int controlId) { OnMemorySliderScroll(code, position, controlId); });
  m.OnCommand(kConfirmSettings, BN_CLICKED, [this] { OnConfirmSettings(); });
  m.OnCommand(kDumpRegistry, BN_CLICKED, [this] { OnDumpRegistry(); });
  m.OnCommand(kRestoreRegistry, BN_CLICKED, [this] { OnRestoreRegistry(); });
  m.OnCtlColor([this](ControlColours& colours, int controlId) { OnCtlColor(colours, controlId); });
  m.OnCommand(kBackupAll, BN_CLICKED, [this] { OnBackupAll(); });
  m.OnCommand(kRestoreAll, BN_CLICKED, [this] { OnRestoreAll(); });
  m.OnCommand(kRegisterActiveX, BN_CLICKED, [this] { OnRegisterActiveX(); });
  m.OnCommand(kLanguageChange, BN_CLICKED, [this] { OnLanguageChange(); });
  m.OnCommand(kSerialButton, BN_CLICKED, [this] { SelectSerialTouch(); });
  m.OnCommand(kUsbButton, BN_CLICKED, [this] { SelectUsbTouch(); });
  m.OnCommand(kSerialIcon, STN_CLICKED, [this] { SelectSerialTouch(); });
  m.OnCommand(kUsbIcon, STN_CLICKED, [this] { SelectUsbTouch(); });
}

void CGeneralSettingPage::DoDataExchange(DataExchange& exchange) {
  exchange.Control(kFreqCombo, freqCombo_);
  exchange.Control(kBppCombo, bppCombo_);
  exchange.Control(kMemorySlider, memorySlider_);
  exchange.Control(kPreview320, preview320_);
  exchange.Control(kPreview640, preview640_);
  exchange.Control(kPreview1024, preview1024_);
  exchange.Control(kResolutionSlider, resolutionSlider_);
  exchange.Control(kPreview800, preview800_);
  exchange.Control(kPreview, preview_);
  exchange.Control(kResolutionReadBack, resolutionReadBack_);
  exchange.Control(kFreqReadBack, freqReadBack_);
  exchange.Control(kBppReadBack, bppReadBack_);
}

bool CGeneralSettingPage::OnInitDialog() {
  CDialog::OnInitDialog();
  resolutionSlider_.SetRange(0, 3, false);
  DisplayMode& mode = state_.displayMode;
  ShowDisplayMode(mode);
  SelectDisplayControls(mode);
  SetDlgItemText(kBackupPath, DefaultBackupPath);
  SetUpMemoryDivision();
  return true;
}

// ---- Display mode ----

void CGeneralSettingPage::ShowDisplayMode(DisplayMode& mode) {
  LoadDisplayMode(context_.platform.registry, context_.platform.clock, mode);
  resolutionReadBack_.SetWindowText(
      FormatText(kResolutionFormat, static_cast<int>(mode.width), static_cast<int>(mode.height)));
  bppReadBack_.SetWindowText(FormatText(kBppFormat, static_cast<int>(mode.bpp)));
  freqReadBack_.SetWindowText(FormatText(kFreqFormat, static_cast<int>(mode.freq)));
}

void CGeneralSettingPage::SelectDisplayControls(const DisplayMode& mode) {
  if (const int position = ResolutionPosition(mode.width); position >= 0) resolutionSlider_.SetPos(position, true);
  if (const int index = DepthIndex(mode.bpp); index >= 0) bppCombo_.SetCurSel(index);
  if (const int index = RateIndex(mode.freq); index >= 0) freqCombo_.SetCurSel(index);
}

void CGeneralSettingPage::SaveDisplayMode(DisplayMode& mode) {
  TakeDisplayControls(resolutionSlider_.GetPos(), bppCombo_.GetCurSel(), freqCombo_.GetCurSel(), mode);
  const DisplaySaveResult saved = WriteDisplayMode(context_.platform.registry, mode);
  if (!saved.keyOpened) MessageBox(kVgaOpenFailed, kSaveVgaRegistryCaption, MB_OK);
  for (std::string_view name : saved.failedValues) {
    MessageBox(std::string(name) + kSetFailedSuffix, kSaveVgaSettingCaption, MB_OK);
  }
  ShowDisplayMode(mode);
}

void CGeneralSettingPage::UpdateResolutionPreview(LRESULT* result) {
  // The hidden pictures hold the previews, in slider order.
  const CStatic* const pictures[4] = {&preview320_, &preview640_, &preview800_, &preview1024_};
  const int position = resolutionSlider_.GetPos();
  if (position >= 0 && position < 4) {
    preview_.SetBitmap(pictures[position]->GetBitmap());
    SetDlgItemText(kResolutionCaption, kResolutionCaptions[position]);
  }
  *result = CDRF_DODEFAULT;
}

void CGeneralSettingPage::OnConfirmSettings() {
  SaveDisplayMode(state_.displayMode);
  if (memorySliderMoved_) ApplyMemoryDivision(initialStoragePages_);
  if (timerId_ != 0) {
    KillTimer(timerId_);
    timerId_ = 0;
  }
}

void CGeneralSettingPage::OnCtlColor(ControlColours& colours, int controlId) {
  if (controlId == kFactoryButton) {
    colours.textColour = kFactoryButtonColour;
    colours.backgroundColour = kFactoryButtonColour;
  }
}

// ---- Touch panel ----

void CGeneralSettingPage::SelectSerialTouch() {
  ReportTouchSelection(talvon::SelectSerialTouch({context_.platform.registry, context_.platform.processes}));
}

void CGeneralSettingPage::SelectUsbTouch() {
  ReportTouchSelection(talvon::SelectUsbTouch({context_.platform.registry, context_.platform.processes}));
}

void CGeneralSettingPage::ReportTouchSelection(const TouchSelection& selection) {
  if (!selection.flushed) MessageBox(kTouchFlushFailed, kSaveRegistryCaption, MB_ICONEXCLAMATION);
  if (!selection.calibrationStarted) MessageBox(kCalibrationNotStarted, kSaveRegistryCaption, MB_ICONSTOP);
}

// ---- Memory division ----

void CGeneralSettingPage::SetUpMemoryDivision() {
  const MemoryFigures f = QueryMemoryFigures(context_.platform.memory);
  memorySliderMoved_ = false;
  initialStoragePages_ = f.storagePages;
  const int maximum = static_cast<int>(f.totalPages / PagesPerSliderUnit);
  memorySlider_.SetRange(1, maximum, false);
  memorySlider_.SetTicFreq(maximum / 75);
  memorySlider_.SetPageSize(3);
  memorySlider_.SetPos(static_cast<int>(f.storagePages / PagesPerSliderUnit), true);
  ShowAllocated(f, f.storagePages);
  RefreshMemoryInUse();
  timerId_ = SetTimer(kMemoryTimerId, kMemoryTimerPeriodMs);
}

void CGeneralSettingPage::ShowAllocated(const MemoryFigures& figures, std::int64_t storagePages) {
  // With very little RAM the slider's least position can stand for more
  // pages than there are: neither side is ever shown below nothing.
  const std::int64_t storage = std::clamp<std::int64_t>(storagePages, 0, figures.totalPages);
  SetDlgItemText(kStorageAllocated, Kilobytes(PagesToKb(figures, storage)));
  SetDlgItemText(kProgramAllocated, Kilobytes(PagesToKb(figures, figures.totalPages - storage)));
}

void CGeneralSettingPage::RefreshMemoryInUse() {
  const MemoryFigures f = QueryMemoryFigures(context_.platform.memory);
  const std::int64_t start = LowerLimitUnits(f);
  const std::int64_t end = UpperLimitUnits(f);
  if (start != lastSelectionStart_ || end != lastSelectionEnd_) {
    memorySlider_.SetSelection(static_cast<int>(start), static_cast<int>(end), false);
    memorySlider_.Invalidate(true);
    lastSelectionStart_ = start;
    lastSelectionEnd_ = end;
  }
  if (f.storageInUse != lastStorageInUse_) {
    SetDlgItemText(kStorageInUse, Kilobytes(PagesToKb(f, f.storageInUse)));
    lastStorageInUse_ = f.storageInUse;
  }
  if (f.programInUse != lastProgramInUse_) {
    SetDlgItemText(kProgramInUse, Kilobytes(PagesToKb(f, f.programInUse)));
    lastProgramInUse_ = f.programInUse;
  }
}

void CGeneralSettingPage::OnMemorySliderScroll(int scrollCode, int position, int controlId) {
  // The resolution slider scrolls this page too; only the memory slider moves the boundary.
  if (controlId == kMemorySlider && scrollCode == TB_THUMBPOSITION) {
    memorySliderMoved_ = true;
    const MemoryFigures f = QueryMemoryFigures(context_.platform.memory);
    memorySlider_.SetPos(ReleasedPosition(f, position), true);
    // Where the slider came to rest within its range is what Confirm Settings asks for.
    ShowAllocated(f, std::int64_t{memorySlider_.GetPos()} * PagesPerSliderUnit);
  }
  Default();
}

void CGeneralSettingPage::ApplyMemoryDivision(std::uint32_t fallback) {
  const MemoryDivisionRoles roles{context_.platform.memory, context_.platform.registry};
  const MemoryDivisionResult result = talvon::ApplyMemoryDivision(roles, memorySlider_.GetPos(), fallback);
  // The labels show the division in force, not the request.
  ShowAllocated(QueryMemoryFigures(context_.platform.memory), result.storagePages);
  if (result.outcome == MemoryDivisionResult::Outcome::Applied) return;
  memorySlider_.SetPos(static_cast<int>(result.storagePages / PagesPerSliderUnit), true);
  UpdateWindow();
  context_.platform.clock.Sleep(kBoundaryPause);
  context_.appBoxes.AppMessageBox(kBoundaryMoved, MB_OK);
}

// ---- Backup, restore, factory reset ----

ImageFileContext CGeneralSettingPage::FileContext() {
  Platform& p = context_.platform;
  return ImageFileContext{p.files, p.flash, context_.appBoxes, context_.transfer};
}

std::optional<std::string> CGeneralSettingPage::NarrowBackupPath(const std::string& path) {
  BackupPathBuffer buffer{};
  switch (StoreImagePath(path, buffer)) {
    case ImagePathProblem::None:
      return std::string(ImagePathText(buffer));
    case ImagePathProblem::TooLong:
      MessageBox(kPathTooLong, kErrorCaption, MB_ICONSTOP);
      return std::nullopt;
    case ImagePathProblem::NotNarrow:
      MessageBox(kPathNotNarrow, kErrorCaption, MB_ICONSTOP);
      return std::nullopt;
  }
  return std::nullopt;
}

void CGeneralSettingPage::OnRecoverFactorySettings() {
  if (MessageBox(kFactoryQuestion, kFactoryCaption, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
  if (MessageBox(kFactoryWait, kFactoryCaption, MB_OK | MB_ICONINFORMATION) != IDOK) return;
  if (EraseRegistryArea(context_.platform.flash) == FactoryReset::EraseFailed) {
    MessageBox(kRegistryClearFailed, kErrorCaption, MB_ICONSTOP);
  }
  // No flush: the erased area is what the next boot must find.
  context_.platform.sdk.Reset_TalVon();
}

void CGeneralSettingPage::OnDumpRegistry() {
  if (MessageBox(kDumpQuestion, kSaveRegistryCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  DumpRegistryFile(FileContext(), RegistryDumpPath);
}

void CGeneralSettingPage::OnRestoreRegistry() {
  if (MessageBox(kRestoreQuestion, kSaveRegistryCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  switch (RestoreRegistryFile(FileContext(), context_.platform.registry, RegistryDumpPath)) {
    case RegistryRestore::ClearFailed:
    case RegistryRestore::WriteFailed:
      // Restarting now would boot the factory registry; the running one can
      // still be flushed back with Confirm Registry.
      MessageBox(kRegistryAreaIncomplete, kErrorCaption, MB_ICONSTOP);
      return;
    case RegistryRestore::Restored:
    case RegistryRestore::NotRead:
    case RegistryRestore::Refused:
      break;
  }
  context_.platform.sdk.Reset_TalVon();
}

void CGeneralSettingPage::OnBackupAll() {
  BeginWaitCursor();
  const std::string shown = GetDlgItemText(kBackupPath);
  const std::optional<std::string> path = NarrowBackupPath(shown);
  if (!path) {
    EndWaitCursor();
    return;
  }
  switch (BackupAll(FileContext(), *path)) {
    case BackupAllOutcome::Written:
      context_.appBoxes.AppMessageBox(kBackupOk, MB_ICONINFORMATION);
      break;
    case BackupAllOutcome::Failed:
      context_.appBoxes.AppMessageBox(kBackupNg, MB_ICONSTOP);
      break;
    case BackupAllOutcome::FolderMissing: {
      // One box that names the folder, as the operator typed it.
      std::string text = kBackupFolderMissingFormat;
      text.replace(text.find("%s"), 2, FolderOfPath(shown));
      context_.appBoxes.AppMessageBox(text, MB_ICONSTOP);
      break;
    }
  }
  EndWaitCursor();
}

void CGeneralSettingPage::OnRestoreAll() {
  CFileDialog dialog(context_.backend, kBackupFilter, kRestoreFileFlags);
  // The dialog opens where the backup path shown lies.
  dialog.SetInitialFolder(FolderOfPath(GetDlgItemText(kBackupPath)));
  if (dialog.DoModal() != IDOK) return;
  SetDlgItemText(kBackupPath, dialog.GetPathName());
  const std::optional<std::string> path = NarrowBackupPath(dialog.GetPathName());
  if (!path) return;
  if (context_.appBoxes.AppMessageBox(kRestoreWait, MB_ICONINFORMATION) != IDOK) return;

  BeginWaitCursor();
  const RestoreAllOutcome outcome = RestoreAll(FileContext(), *path);
  if (outcome == RestoreAllOutcome::Restored) {
    context_.appBoxes.AppMessageBox(kRestoreOk, MB_ICONINFORMATION);
  } else {
    context_.appBoxes.AppMessageBox(kRestoreNg, MB_ICONSTOP);
  }
  EndWaitCursor();
  if (outcome == RestoreAllOutcome::Incomplete) {
    // Restarting now would boot a half-written OS image.
    MessageBox(kSystemAreaIncomplete, kErrorCaption, MB_ICONSTOP);
    return;
  }
  context_.platform.sdk.Reset_TalVon();
}

void CGeneralSettingPage::OnRegisterActiveX() { context_.platform.processes.OpenThroughShellAndWait(ActiveXScript); }

void CGeneralSettingPage::OnLanguageChange() {
  context_.platform.processes.OpenThroughShellAndWait(RegionalSettingsApplet);
}

}  // namespace talvon
