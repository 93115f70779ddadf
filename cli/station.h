// A production line's station: reader after reader, a CSV row each.
#pragma once

#include "cli/options.h"
#include "settingfile/SettingFile.h"

int Station(const Options& o, const setting::File& file);
