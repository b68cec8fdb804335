#pragma once

#include <QString>

// Readme.html beside the program, else the installed one.
QString HelpPagePath();
