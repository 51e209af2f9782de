#pragma once

// What the Update Version page says, in one place.
namespace talvon::update_texts {

inline constexpr char kBrowseFilter[] = "OSimage Files(*.bin)|*.bin";

inline constexpr char kErrorCaption[] = "ERROR";
inline constexpr char kNotBinImage[] = "This is not a bin image,Please select another file.";
inline constexpr char kRegistryClearFailed[] = "ERROR: Registry clear failed.\n";
inline constexpr char kNoFlashInfo[] = "ERROR: OALFlashErase failed get flash memory info";
inline constexpr char kEraseCheckFailed[] =
    "Erase Flash didn't correct!!Please repeat your step again,and contact with Velmar's service if this message "
    "appear again.";

// Status lines; the percentage and a '%' character fill them in.
inline constexpr char kEraseLineFormat[] = "Now Erase Flash Memory --> %u%c done";
inline constexpr char kWriteLineFormat[] = "Now Write Flash Memory --> %u%c done";
inline constexpr char kFlashFailedStatus[] = "ERROR: Flash failed";

// Choosing a file.
inline constexpr char kCannotOpenChosen[] = "This file cannot be opened,Please select another file.";
inline constexpr char kPathTooLong[] =
    "The path of this file is longer than 99 characters,Please move the file to a shorter path and select it again.";
inline constexpr char kPathNotNarrow[] =
    "The path of this file has characters that cannot be used here,Please rename the file or its folder and select "
    "it again.";

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

}  // namespace talvon::update_texts
