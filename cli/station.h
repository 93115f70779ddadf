// A production line's station: reader after reader, a CSV row each.
#pragma once

#include "SettingFile.h"
#include "options.h"

int Station(const Options& o, const setting::File& file);
