// The planet ephemeris: mean Keplerian elements turned into heliocentric positions.
//
// Time T is in centuries from the start of 1950; angles are radians, lengths
// astronomical units. Positions are in the fixed ecliptic and equinox of 1950:
// x toward the vernal equinox, y toward ecliptic longitude 90 degrees, z toward
// the north ecliptic pole. Every operation is a pure function whose arithmetic
// is done in double precision in a fixed order, so results are exact to the bit.
#pragma once

// One planet's mean elements at one time; the position operations fill it.
struct OrbitElements {
    double semiMajorAxis;       // AU, constant per planet
    double eccentricity;        // dimensionless, 0.0067 to 0.2057 for 0 <= T <= 1.5
    double meanAnomaly;         // radians, sum of separately reduced terms, not reduced as a whole
    double meanMotion;          // radians per century; filled but read by no operation
    double node;                // radians, longitude of the ascending node, in (-2 pi, 2 pi)
    double inclination;         // radians, to the ecliptic of 1950, in (-2 pi, 2 pi)
    double perihelionArgument;  // radians, from the node, in (-2 pi, 2 pi)
};

// A point in a planet's orbital plane, the Sun at the origin.
struct OrbitPlanePosition {
    double x;  // AU, along the major axis toward perihelion
    double y;  // AU, perpendicular to it, positive in the direction of motion
};

// A heliocentric ecliptic rectangular position.
struct EclipticPosition {
    double x;  // AU, toward the vernal equinox
    double y;  // AU, toward ecliptic longitude 90 degrees
    double z;  // AU, toward the north ecliptic pole
};

// Degrees, minutes and seconds of arc to radians, reduced by TruncMod(., 2 pi).
double DmsToRadians(int degrees, int minutes, double seconds);

// a - k * b with k = a / b truncated toward zero; a negative a stays negative.
// While |a / b| < 2^31 the quotient is truncated to a 32-bit integer; beyond
// that, and for infinite or NaN quotients, it is truncated in double precision,
// so the result is defined for every input (NaN when b is 0 or infinite, or a is
// not finite).
double TruncMod(double a, double b);

// Solves Kepler's equation by exactly three Newton steps; reads the semi-major
// axis, eccentricity and mean anomaly only. For |e| >= 1 or a NaN e, which no
// time in the program's range produces, both coordinates are NaN (no ellipse).
OrbitPlanePosition SolveKepler(const OrbitElements& elements);

// The six planets: each fills `elements` for time T and returns the position.
// Far from 1950 (Jupiter beyond about +-204 centuries, Saturn beyond about +-255)
// the eccentricity leaves (-1, 1) and every coordinate of the result is NaN.
EclipticPosition MercuryPosition(OrbitElements& elements, double T);
EclipticPosition VenusPosition(OrbitElements& elements, double T);
EclipticPosition EarthPosition(OrbitElements& elements, double T);
EclipticPosition MarsPosition(OrbitElements& elements, double T);
EclipticPosition JupiterPosition(OrbitElements& elements, double T);
EclipticPosition SaturnPosition(OrbitElements& elements, double T);
