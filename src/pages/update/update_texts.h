#pragma once

// What the Update Version page says of its own, in one place; what the OS
// image write says is in operations/system_texts.h.
namespace talvon::update_texts {

inline constexpr char kBrowseFilter[] = "OSimage Files(*.bin)|*.bin";

inline constexpr char kErrorCaption[] = "ERROR";
inline constexpr char kNotBinImage[] = "This is not a bin image,Please select another file.";

// Choosing a file.
inline constexpr char kCannotOpenChosen[] = "This file cannot be opened,Please select another file.";
inline constexpr char kPathTooLong[] =
    "The path of this file is longer than 99 characters,Please move the file to a shorter path and select it again.";
inline constexpr char kPathNotNarrow[] =
    "The path of this file has characters that cannot be used here,Please rename the file or its folder and select "
    "it again.";

}  // namespace talvon::update_texts
