#include "watcher/DecisionNow.h"

#include "shared/SharedValues.h"

DecisionSettings DecisionSettingsNow() {
    return {SquareThreshold(ThresholdOn),
            SquareThreshold(ThresholdOff),
            Mode,
            ForwardOnly,
            InnerRing,
            SquareThreshold(InnerOn),
            SquareThreshold(InnerOff),
            PauseWhileTrigger};
}
