#pragma once

#include <cstdint>
#include <string>

constexpr double kMetresPerInch = 0.0254;
constexpr double kMetresPerKilometre = 1000.0;
constexpr double kMetresPerMile = 1609.344;

// The largest distance believed from the server, a file or the mouse, in miles: far beyond any
// real mouse travel, and small enough that every figure prints in a few characters.
constexpr double kMaxMiles = 1e9;

// A distance read from outside, made sane: NaN and negative values are 0, values beyond
// kMaxMiles (infinity too) are kMaxMiles, in the unit of the function.
double SaneMiles(double miles);
double SaneMetres(double metres);

// The unit distances are shown in, from the DistanceType preference.
enum class DistanceUnit { Miles, Kilometres, Metres };

DistanceUnit DistanceUnitFromType(std::int32_t distanceType);

// The unsent distance for the server (miles) or for display (the user's unit).
double DistanceInUnit(double unsentMetres, std::int32_t distanceType, bool forServer);

// "Kilometers", "Meters" or "Miles".
const char* DistanceUnitName(std::int32_t distanceType);
