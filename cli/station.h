// A production line's station: reader after reader, a CSV row each.
#pragma once

#include "cli/options.h"
#include "settingfile/SettingFile.h"

// `setting` as loaded from o.file: its hash is of the bytes its setting was parsed from.
int Station(const Options& o, const setting::Loaded& setting);
