#pragma once

#include <QStringList>

/**
 * True when the command line asks for engineering mode: an argument equal to "/useoverrides"
 * or "/useovr" (exact, case-sensitive), or "--engineering" for shells that treat a leading
 * slash as a path.
 */
bool isEngineeringSwitch(const QStringList &arguments);
