#include "roster/RosterEnvironment.h"

namespace tazu {

std::shared_ptr<RosterStorage> RosterEnvironment::Storage() const { return ProcessRosterStorage(); }

}  // namespace tazu
