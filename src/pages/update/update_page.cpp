#include "pages/update/update_page.h"

#include <cstdio>
#include <memory>
#include <string>

#include "app/utility_session.h"
#include "flash/bin_image.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/image_files.h"
#include "pages/update/os_image_writer.h"
#include "pages/update/update_texts.h"
#include "platform/message_box.h"

namespace talvon {

using namespace update_texts;

namespace {

constexpr int kPathField = 1044;
constexpr int kBrowseButton = 1045;
constexpr int kProgressBar = 1046;
constexpr int kStatusLine = 1047;
constexpr int kWriteButton = 1048;

constexpr std::uint32_t kBrowseFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
constexpr Colour kStatusColour = RGB(255, 0, 0);

}  // namespace

// The write's progress, shown in the page's own controls.
class CUpdatePage::Progress final : public OsImageProgress {
 public:
  explicit Progress(CUpdatePage& page) : page_(page) {}
  void SetStatusText(std::string_view line) override { page_.statusText_.SetWindowText(line); }
  void SetProgressStep(int step) override { page_.progress_.SetStep(step); }
  void SetProgressRange(int minimum, int maximum) override { page_.progress_.SetRange32(minimum, maximum); }
  void SetProgressPos(int position) override { page_.progress_.SetPos(position); }
  void PumpOneMessage() override { page_.PumpOneMessage(); }

 private:
  CUpdatePage& page_;
};

CUpdatePage::CUpdatePage(UtilitySession& session) : CDialog(IDD), session_(session) {
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
  CFileDialog dialog(session_.backend, kBrowseFilter, kBrowseFlags);
  if (dialog.DoModal() != IDOK) return;
  const std::string& chosen = dialog.GetPathName();
  SetDlgItemText(kPathField, chosen);

  ImagePathBuffer& imagePath = session_.update.imagePath;
  const ImagePathProblem problem = StoreImagePath(chosen, imagePath);
  if (problem != ImagePathProblem::None) {
    // Refused whole, never cut: the earlier path goes too, so Write cannot
    // pick up a file the operator has just chosen against.
    imagePath.fill('\0');
    MessageBox(problem == ImagePathProblem::TooLong ? kPathTooLong : kPathNotNarrow, kErrorCaption, MB_ICONSTOP);
    writeButton_.EnableWindow(false);
    return;
  }
  switch (IsOsImageFile(session_.platform.files, ImagePathText(imagePath))) {
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
  bool restart = false;
  {
    // Nothing else reaches the flash, and nothing reboots, until the write ends.
    const FlashWorkScope work(session_.platform.flash.Work(), kWritingOsImage);
    restart = WriteImage();
  }
  if (restart) {
    session_.platform.sdk.Reset_TalVon();
    RestoreWaitCursor();
    EndWaitCursor();
  }
}

bool CUpdatePage::WriteImage() {
  Platform& platform = session_.platform;
  FlashWindow& flash = platform.flash;
  BeginWaitCursor();

  // The whole image is checked before anything is erased: a file that would
  // stop the write half way leaves the controller as it was.
  std::unique_ptr<FileStream> file = platform.files.Open(ImagePathText(session_.update.imagePath), "rb");
  const OsImageCheck check = file ? ValidateOsImage(*file, session_.transfer) : OsImageCheck{};
  if (!check.valid) {
    EndWaitCursor();
    const std::string why = file ? check.problem : kCannotOpenImage;
    MessageBox(std::string(kImageRefusedLead) + why + kFlashUntouched, kErrorCaption, MB_ICONSTOP);
    writeButton_.EnableWindow(false);
    return false;
  }
  // Blocks that cross an edge of the areas would take flash outside them
  // (the leading area, or OS and registry each other's): refused whole.
  FlashGeometry geometry;
  if (QueryFlashGeometry(flash, FlashWindowBase, &geometry) &&
      (!FlashBlocksLineUp(flash, FlashWindowBase, OsImageFlashArea, OsImageFlashAreaSize) ||
       !FlashBlocksLineUp(flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize))) {
    EndWaitCursor();
    MessageBox(kBlocksCrossAreas, kErrorCaption, MB_ICONSTOP);
    return false;
  }

  if (!EraseFlashRange(flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize)) {
    MessageBox(kRegistryClearFailed, kErrorCaption, MB_ICONSTOP);
  }
  browseButton_.EnableWindow(false);
  writeButton_.EnableWindow(false);

  Progress progress(*this);
  const OsImageFlashRoles roles{flash, platform.clock, progress};
  if (EraseOsAreaWithProgress(roles) == OsAreaErase::NoFlashInfo) {
    MessageBox(kNoFlashInfo, kErrorCaption, MB_ICONSTOP);
  }
  if (CountUnerasedBytes(flash, session_.transfer) != 0) {
    session_.AppBoxes().AppMessageBox(kEraseCheckFailed, MB_ICONSTOP);
    RestoreWaitCursor();
    EndWaitCursor();
    ReopenAfterStop();
    return false;
  }

  const OsImageWriteResult written = WriteOsImageRecords(roles, *file);
  file.reset();
  if (written.outcome == OsImageWriteResult::Outcome::Written) return true;

  // A half-written image must not be booted: tell the operator, no reset.
  EndWaitCursor();
  char detail[160];
  const BinRecord& record = written.record;
  switch (written.outcome) {
    case OsImageWriteResult::Outcome::ProgramFailed:
      std::snprintf(detail, sizeof detail, kRecordNotProgrammed, record.number, record.flashAddress,
                    OsImageProgramAttempts);
      break;
    case OsImageWriteResult::Outcome::NoMemory:
      std::snprintf(detail, sizeof detail, kNoRecordMemory, record.number, record.length);
      break;
    default:
      std::snprintf(detail, sizeof detail, "%s", written.problem.c_str());
      break;
  }
  MessageBox(std::string(kWriteStoppedLead) + detail + kNotRestarted, kErrorCaption, MB_ICONSTOP);
  ReopenAfterStop();
  return false;
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
