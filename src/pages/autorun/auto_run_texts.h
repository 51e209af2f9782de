#pragma once

// What the Auto-execution page says, in one place.
namespace talvon::auto_run_texts {

inline constexpr char kBrowseFilter[] = "ALL Files(*.*)|*.*";

inline constexpr char kOpenFailedCaption[] = "Add Auto-run";
inline constexpr char kOpenFailed[] = "RegOpenKeyEx Failed";
inline constexpr char kSetFailedCaption[] = "Auto-Execute";
inline constexpr char kSetFailed[] = "AutoRun RegSetValueEx Failed";
// The field's number fills it in.
inline constexpr char kProgramTooLong[] =
    "Program %d: the path is 200 characters or longer and cannot be started at boot,Please choose a program with a "
    "shorter path. Program %d has not been saved.";

}  // namespace talvon::auto_run_texts
