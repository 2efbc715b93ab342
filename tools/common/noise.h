// Deterministic gradient noise for the generated textures and terrain.
#ifndef OBX_TOOLS_NOISE_H
#define OBX_TOOLS_NOISE_H

// Perlin gradient noise in about -1..1; the lattice repeats every `period`
// cells in x and y (so textures built from it tile), seeded.
double noise2(double x, double y, int period, unsigned seed);
double noise3(double x, double y, double z, unsigned seed);

// Sums of octaves: each octave twice the frequency and `gain` times the
// amplitude of the one before; normalised back to about -1..1.
double fbm2(double x, double y, int octaves, double gain, int period, unsigned seed);
double fbm3(double x, double y, double z, int octaves, double gain, unsigned seed);

double clamp01(double v);
double smoothstep(double edge0, double edge1, double v);
double mix(double a, double b, double t);

#endif
