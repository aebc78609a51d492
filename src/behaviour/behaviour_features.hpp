// All behaviour features of one session, in the order of kFeatureNames.
#pragma once

#include "behaviour/behaviour_session.hpp"
#include "behaviour/feature_names.hpp"

namespace velmora::behaviour {

// Every value is finite; a feature whose data is missing is 0.0.
FeatureValues compute_behaviour_features(const BehaviourSession& session);

}  // namespace velmora::behaviour
