// A line for every page the utility shows, written to a file, so that a
// program driving the panel from outside (through VNC or a browser) knows
// what is on screen without reading pixels.
#pragma once

namespace talvon::qt {

// The environment variable that names the report file.
inline constexpr char kPageReportVariable[] = "TALVON_PAGE_REPORT";

// When TALVON_PAGE_REPORT names a file, the QApplication made after this call
// appends a line to it each time a window built from a dialog template is
// shown:
//
//   shown TEMPLATE ID=X,Y,W,H ID=X,Y,W,H ...
//
// with the template's number and, for each control of the window that is
// not hidden and has an identifier of its own, that identifier and the
// control's rectangle in screen pixels. Does nothing
// when the variable is unset or empty.
void ReportPagesShownFromEnvironment();

}  // namespace talvon::qt
