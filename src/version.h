// The program's version, for its windows and its version resource alike
// (plain macros, so that the resource compiler reads them too). Keep the
// text in step with the numbers, and with the project's version in CMake.
#pragma once

#define SUMWICK_VERSION_MAJOR 0
#define SUMWICK_VERSION_MINOR 5
#define SUMWICK_VERSION_PATCH 0
#define SUMWICK_BUILD_NUMBER 284
#define SUMWICK_VERSION_TEXT "0.5.0.284"
