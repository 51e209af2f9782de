#pragma once

// What the whole-system operations say: the OS image write, Backup All and
// Restore All. The General Setting and Update Version pages show these texts
// in their message boxes and the recovery console prints them, so they are
// written here once.
namespace talvon::system_texts {

// Backup All and Restore All: the verdicts.
inline constexpr char kBackupOk[] = "BackupAll OK !";
inline constexpr char kBackupNg[] = "BackupAll NG !";
inline constexpr char kRestoreOk[] = "Restore Backup File OK !";
inline constexpr char kRestoreNg[] = "Restore Backup File NG !";

// The registry dump file, in application message boxes.
inline constexpr char kCantAlloc[] = "can't alloc memory.";
inline constexpr char kDumpCantOpen[] = "Can't open the dumpfile.";
inline constexpr char kDumpReadFlashFailed[] = "Registry read flash failed.";
inline constexpr char kDumpWriteFileFailed[] = "Registry write dumpfile failed.";
inline constexpr char kDumpReplaceFailed[] = "Registry replace dumpfile failed.";
inline constexpr char kDumpDone[] = "Registry dump to dumpfile successed.";
inline constexpr char kRegistryRestoreCantOpen[] = "Can't open the dumpfile";  // no full stop, as the system has it
inline constexpr char kRegistryRestoreReadFileFailed[] = "Registry read from dumpfile failed.";
inline constexpr char kRegistryRestoreRefusedLead[] = "ERROR: No registry the talvon can boot in the dumpfile (";
inline constexpr char kRegistryRestoreClearFailed[] = "Registry clear failed.";
inline constexpr char kRegistryRestoreWriteFlashFailed[] = "Registry write flash failed.";
inline constexpr char kRegistryRestoreDone[] = "Registry restore from dumpfile successed.";

// The whole-system backup file, in application message boxes.
inline constexpr char kBackupCantOpen[] = "ERROR: Can't open File.";
inline constexpr char kBackupReadFlashFailed[] = "ERROR: All system read file failed.";
inline constexpr char kBackupWriteFileFailed[] = "ERROR: All system write dumpfile failed.";
inline constexpr char kBackupWriteCheckFailed[] = "ERROR: write CheckSUM to dumpfile failed.";
inline constexpr char kBackupReplaceFailed[] = "ERROR: Can't replace the old backup file.";
inline constexpr char kRestoreCantOpen[] = "ERROR: Can't open this file!!";
inline constexpr char kRestoreSizeUnknown[] = "ERROR: Can't read the size of this file!!";
inline constexpr char kRestoreWrongSizeFormat[] = "ERROR: This file is %lld bytes long, a backup file is %llu bytes.";
inline constexpr char kRestoreReadFileFailed[] = "ERROR: AllSystem read failed.";
inline constexpr char kRestoreCheckReadFailed[] = "ERROR: CheckSUM read failed.";
inline constexpr char kRestoreNoOsImageFormat[] =
    "ERROR: No OS image in this file, the talvon could not boot it (no ROM signature at 0x%08X).";
inline constexpr char kRestoreClearFailed[] = "ERROR: Allsystem clear failed.";
inline constexpr char kRestoreWriteFlashFailed[] = "ERROR: Allsystem write flash failed.";

// The registry area could not be erased (factory reset, OS image write).
inline constexpr char kRegistryClearFailed[] = "ERROR: Registry clear failed.\n";

// The OS image write.
inline constexpr char kNoFlashInfo[] = "ERROR: OALFlashErase failed get flash memory info";
inline constexpr char kEraseCheckFailed[] =
    "Erase Flash didn't correct!!Please repeat your step again,and contact with Velmar's service if this message "
    "appear again.";

// Status lines; the percentage and a '%' character fill them in.
inline constexpr char kEraseLineFormat[] = "Now Erase Flash Memory --> %u%c done";
inline constexpr char kWriteLineFormat[] = "Now Write Flash Memory --> %u%c done";
inline constexpr char kFlashFailedStatus[] = "ERROR: Flash failed";

// Refusing an image before anything is erased; the reader's finding goes between.
inline constexpr char kImageRefusedLead[] = "This bin image cannot be written:\n";
inline constexpr char kCannotOpenImage[] = "The image file cannot be opened.";
inline constexpr char kFlashUntouched[] = "\nThe flash memory has not been changed.";

// Chips whose erase blocks cross an edge of the areas: refused before anything is erased.
inline constexpr char kBlocksCrossAreas[] =
    "The flash erase blocks of this controller do not line up with the OS image and registry areas, so writing "
    "would erase flash outside them.\nThe flash memory has not been changed.";

// What the panel says while the write runs.
inline constexpr char kWritingOsImage[] = "Writing the OS image";

// A write that stopped after the flash was erased.
inline constexpr char kWriteStoppedLead[] = "Writing the OS image stopped:\n";
inline constexpr char kNoRecordMemory[] = "There is not enough memory for record %u (%u bytes).";
inline constexpr char kRecordNotProgrammed[] = "Record %u could not be written to flash at 0x%08X in %d attempts.";
inline constexpr char kNotRestarted[] =
    "\nThe OS image in flash is incomplete, so the controller has not been restarted. Please write the image again "
    "before restarting the controller.";

}  // namespace talvon::system_texts
