#pragma once

#include <QFont>

// The font of the program's dialogs: a Japanese UI face at 9 points.
QFont DialogFont();
