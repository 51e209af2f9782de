#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/controls.h"
#include "platform/dialog.h"

namespace talvon {

struct PageContext;
struct GeneralSettingState;
struct DisplayMode;
struct ImageFileContext;
struct MemoryFigures;
struct TouchSelection;

// The "General Setting" page (tab 0 of the configuration sheet): display mode, touch panel, memory division, backup and
// restore. Constructed by its sheet with no window; Create(sheet) builds the window from template 134 as a child of the
// sheet and runs OnInitDialog once. The steps live in display_settings.h, touch_panel.h, memory_division.h and
// operations/backup_restore.h; this class shows what they answer.
class CGeneralSettingPage : public CDialog {
 public:
  static constexpr int IDD = 134;
  static constexpr std::uintptr_t kMemoryTimerId = 2;
  static constexpr std::uint32_t kMemoryTimerPeriodMs = 1500;
  CGeneralSettingPage(PageContext& context, GeneralSettingState& state);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  // Display mode.
  void ShowDisplayMode(DisplayMode& mode);
  void SelectDisplayControls(const DisplayMode& mode);
  void SaveDisplayMode(DisplayMode& mode);
  void UpdateResolutionPreview(LRESULT* result);
  void OnConfirmSettings();
  void OnCtlColor(ControlColours& colours, int controlId);

  // Touch panel.
  void SelectSerialTouch();
  void SelectUsbTouch();
  void ReportTouchSelection(const TouchSelection& selection);

  // Memory division.
  void SetUpMemoryDivision();
  void RefreshMemoryInUse();
  void OnMemorySliderScroll(int scrollCode, int position, int controlId);
  // The two "Allocated" labels for a storage of `storagePages`.
  void ShowAllocated(const MemoryFigures& figures, std::int64_t storagePages);
  void ApplyMemoryDivision(std::uint32_t fallback);

  // Backup, restore, factory reset, launchers.
  void OnRecoverFactorySettings();
  void OnDumpRegistry();
  void OnRestoreRegistry();
  void OnBackupAll();
  void OnRestoreAll();
  void OnRegisterActiveX();
  void OnLanguageChange();
  // The narrow form of a backup path, or nullopt after an ERROR box saying why not.
  std::optional<std::string> NarrowBackupPath(const std::string& path);
  ImageFileContext FileContext();

  PageContext& context_;
  GeneralSettingState& state_;
  CComboBox freqCombo_;
  CComboBox bppCombo_;
  CSliderCtrl memorySlider_;
  CStatic preview320_;
  CStatic preview640_;
  CStatic preview1024_;
  CSliderCtrl resolutionSlider_;
  CStatic preview800_;
  CStatic preview_;
  CStatic resolutionReadBack_;
  CStatic freqReadBack_;
  CStatic bppReadBack_;

  // Memory division: the storage at initialisation, the page timer, whether
  // the operator has released the thumb, and what the labels last showed.
  std::uint32_t initialStoragePages_ = 0;
  std::uintptr_t timerId_ = 0;
  bool memorySliderMoved_ = false;
  std::optional<std::int64_t> lastSelectionStart_;
  std::optional<std::int64_t> lastSelectionEnd_;
  std::optional<std::uint32_t> lastStorageInUse_;
  std::optional<std::uint32_t> lastProgramInUse_;
};

}  // namespace talvon
