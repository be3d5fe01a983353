#include "SampleParts.h"

namespace tsivor::sample {

// Filled in by the unit that owns this part of the deployment.
bool WriteSampleDirectory(const CityPlan&, const QString&, QString*) { return true; }

} // namespace tsivor::sample
