#pragma once

#include <QFont>

// The font of the program's dialogs: 9 points of the first Japanese UI face
// the desktop has, the one the layouts were made for first.
QFont DialogFont();
