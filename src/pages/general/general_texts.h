#pragma once
#include "operations/system_texts.h"

// What the General Setting page says, in one place; the texts it shares
// with the recovery console come from operations/system_texts.h.
namespace talvon::general_texts {

// Display mode.
inline constexpr char kResolutionFormat[] = "%d x %d";
inline constexpr char kBppFormat[] = "%d";
inline constexpr char kFreqFormat[] = "%d Hz";
inline constexpr char kSaveVgaRegistryCaption[] = "Save VGA Registry";
inline constexpr char kVgaOpenFailed[] = "VGA RegOpenKeyEx Failed";
inline constexpr char kSaveVgaSettingCaption[] = "Save VGA Setting";
inline constexpr char kSetFailedSuffix[] = " RegSetValueEx Failed";  // after the value's name

// Touch panel.
inline constexpr char kSaveRegistryCaption[] = "Save Registry";
inline constexpr char kCalibrationNotStarted[] = "CreateProcess failed!!Please Check the driver's path";
inline constexpr char kTouchFlushFailed[] =
    "RegFlushKey failed\nThe touch panel selection could not be stored in flash memory and is lost when the "
    "controller restarts. Please press Confirm Registry to store it again.";

// Memory division.
inline constexpr char kKilobytesFormat[] = "%dKB";
inline constexpr char kBoundaryMoved[] =
    "The boundary has been moved as far as possible. Resetting the device may allow the boundary to be moved further";

// Factory reset.
inline constexpr char kFactoryCaption[] = "Factory Registry Settings";
inline constexpr char kFactoryQuestion[] =
    "It would recover all your settings to factory default settings, are you sure ?";
inline constexpr char kFactoryWait[] = "It would take few seconds to recover, please wait !";
inline constexpr char kErrorCaption[] = "ERROR";
using system_texts::kRegistryClearFailed;

// Registry dump and restore.
inline constexpr char kDumpQuestion[] = "Do you want to Dump the Registries?";
inline constexpr char kRestoreQuestion[] = "Do you want to Restore the Registries?";
inline constexpr char kRegistryAreaIncomplete[] =
    "The registry area of the flash memory is incomplete, so the controller has not been restarted. Please press "
    "Confirm Registry to store the running settings again.";

// Whole-system backup and restore.
inline constexpr char kBackupFilter[] = "Backup Files(*.bak)|*.bak";
using system_texts::kBackupNg;
using system_texts::kBackupOk;
inline constexpr char kRestoreWait[] = "Please wait about 3 minutes,the talvon will reboot after finish.";
using system_texts::kRestoreNg;
using system_texts::kRestoreOk;
inline constexpr char kBackupFolderMissingFormat[] = "ERROR: Can't open File. The folder %s does not exist.";
inline constexpr char kSystemAreaIncomplete[] =
    "The system area of the flash memory is incomplete, so the controller has not been restarted. Please restore "
    "a good backup file again before restarting the controller.";

// A backup path that cannot be handed to the file functions.
inline constexpr char kPathTooLong[] =
    "The backup file path is longer than 99 characters,Please choose a shorter path.";
inline constexpr char kPathNotNarrow[] =
    "The backup file path has characters that cannot be used here,Please rename the file or its folder.";

}  // namespace talvon::general_texts
