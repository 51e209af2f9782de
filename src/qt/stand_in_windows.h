// The windows of the simulated controller's stand-in programs on the panel:
// the registry viewer, the touch calibration screen, and the notices of
// the ActiveX registration and the regional settings applet. Each is a
// widget of its own on the panel, closed by a tap, and deleted when closed.
#pragma once
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

#include "platform/registry.h"
#include "sim/registry/registry_store.h"
#include "sim/roles/stand_in_programs.h"

namespace talvon::qt {

// Object names, for tests and tools: "standInProgram" on every window, with
// the property "program" (the StandInProgram as an int); "registryTree" on
// the viewer's tree; "close" on the button that closes a framed window.
inline constexpr char kStandInObjectName[] = "standInProgram";

// The registry as it is now, as a tree of keys with their values; the
// caption's OK and the Close button close it.
QWidget* OpenRegistryViewer(QWidget* panel, double panelFactor, const sim::RegistryStore& store);

// A screen over the whole panel with one target at a time; once every target
// is tapped the readings go where the program's touch driver reads them, the
// screen says so, and the next tap closes it.
QWidget* OpenCalibrationScreen(QWidget* panel, double panelFactor, sim::StandInProgram program, Registry& registry);

// A window with a caption and a few lines saying what the program would do.
QWidget* OpenProgramNotice(QWidget* panel, double panelFactor, sim::StandInProgram program, const QString& caption,
                           const QStringList& lines);

// The window of a started program when it lies in front of every window of
// the utility on the panel (message boxes included); nullptr otherwise. A
// close of the panel's own window is meant for it.
QWidget* FrontProgramWindow(QWidget* panel);

// The calibration screen's state, for tests: the target it waits for (0
// based), or the count of targets once all are tapped.
int CalibrationTargetIndex(const QWidget* screen);
// Where the next target is drawn, in the screen's own pixels.
QPoint CalibrationTargetPoint(const QWidget* screen);

}  // namespace talvon::qt
