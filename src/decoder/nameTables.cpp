// SPDX-License-Identifier: GPL-3.0-or-later
#include "nameTables.h"

namespace helixplot {

const std::array<std::string_view, 8> LobeIoNames = {
    "Perceptible i/ps", "Drive i/ps",           "Stim source i/ps", "Verb i/ps",
    "Noun i/ps",        "General Sensory i/ps", "Decision o/ps",    "Attention/Seek o/ps",
};

const std::array<std::string_view, 17> DriveNames = {
    "PAIN",       "NEEDFORPLEASURE", "HUNGER",          "COLDNESS", "HOTNESS", "TIREDNESS",
    "SLEEPINESS", "LONELINESS",      "OVERCROWDEDNESS", "FEAR",     "BOREDOM", "ANGER",
    "SEX DRIVE",  "INJURY",          "SUFFOCATION",     "THIRST",   "STRESS",
};

} // namespace helixplot
