#include "counting/DistanceUnit.h"

namespace {

double Sane(double distance, double max) {
    // Written so that NaN, which compares false with everything, ends at 0.
    if (!(distance > 0)) {
        return 0;
    }
    return distance < max ? distance : max;
}

}  // namespace

double SaneMiles(double miles) {
    return Sane(miles, kMaxMiles);
}

double SaneMetres(double metres) {
    return Sane(metres, kMaxMiles * kMetresPerMile);
}

DistanceUnit DistanceUnitFromType(std::int32_t distanceType) {
    switch (distanceType) {
        case 1:
            return DistanceUnit::Kilometres;
        case 2:
            return DistanceUnit::Metres;
        default:
            return DistanceUnit::Miles;
    }
}

double DistanceInUnit(double unsentMetres, std::int32_t distanceType, bool forServer) {
    if (unsentMetres == 0) {
        return 0;
    }
    if (forServer) {
        return unsentMetres / kMetresPerMile;
    }
    switch (DistanceUnitFromType(distanceType)) {
        case DistanceUnit::Metres:
            return unsentMetres;
        case DistanceUnit::Kilometres:
            return unsentMetres / kMetresPerKilometre;
        case DistanceUnit::Miles:
            break;
    }
    return unsentMetres / kMetresPerMile;
}

const char* DistanceUnitName(std::int32_t distanceType) {
    switch (DistanceUnitFromType(distanceType)) {
        case DistanceUnit::Kilometres:
            return "Kilometers";
        case DistanceUnit::Metres:
            return "Meters";
        case DistanceUnit::Miles:
            break;
    }
    return "Miles";
}
