#include "SampleParts.h"

namespace tsivor::sample {

// Filled in by the unit that owns this part of the deployment.
bool WriteSampleIconLibrary(const CityPlan&, const QString&, QString*) { return true; }

} // namespace tsivor::sample
