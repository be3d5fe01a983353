#include "SampleParts.h"
namespace tsivor::sample {
bool WriteSampleMap(const CityPlan&, const QString&, QString*) {
    return true;
}
} // namespace tsivor::sample
