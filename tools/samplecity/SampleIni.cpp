#include "SampleParts.h"
namespace tsivor::sample {
bool WriteSampleIni(const CityPlan&, const QString&, QString*) {
    return true;
}
} // namespace tsivor::sample
