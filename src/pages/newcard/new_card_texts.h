#pragma once

// What the New Card Wizard page and the serial-port registration say, in one place.
namespace talvon::new_card_texts {

// Slot labels and tree nodes.
inline constexpr char kLabelLead[] = "R - ";  // "R - %s"
inline constexpr char kNodeTextLead[] = "Slot_";  // "Slot_%d: R-%s"
inline constexpr char kNodeTextMiddle[] = ": R-";
inline constexpr char kIoBaseLeaf[] = "I/O Base:%x";
inline constexpr char kSysIntrLeaf[] = "SYSINTR:%x";

// The information line, drawn in red.
inline constexpr char kPortLimit[] = "T-5x5x ONLY support FOUR communication ports NOW!!";

// Change To New Module on anything but a communication module.
inline constexpr char kAlarmCaption[] = "Alarm";
inline constexpr char kNotComPortModule[] = "This module is not the com port module!!";

// Application-level boxes of the registration and the removal.
inline constexpr char kCreateKeyFailed[] = "RegCreateKeyEx Failed";
inline constexpr char kOpenKeyFailed[] = "RegOpenKeyEx Failed";
inline constexpr char kDeleteValueFailed[] = "AutoRun RegSetValueEx Failed";
// A value of the new ports could not be set: rebooting now would start a
// driver on a half-written key.
inline constexpr char kSetValueFailed[] =
    "RegSetValueEx Failed\nThe new serial port settings could not all be written, so they have not been stored and "
    "the controller has not been restarted.";
// The registry could not be stored: rebooting now would lose the change.
inline constexpr char kFlushFailed[] =
    "RegFlushKey failed\nThe new serial port settings could not be stored, so the controller has not been "
    "restarted.";

}  // namespace talvon::new_card_texts
