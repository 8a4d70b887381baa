#pragma once

#include "watcher/KeyDecision.h"

// What the decision compares with, from the shared values as they are now.
DecisionSettings DecisionSettingsNow();
