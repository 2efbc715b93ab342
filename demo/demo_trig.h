/*
 * Sine, cosine and arc tangent of the demo scene's motion, the same to the
 * last bit on every system.
 *
 * The C libraries' sinf, cosf and atan2f differ in their last bits (glibc's
 * from Windows' runtime, say), and the scene feeds their results back into
 * where the tank goes next, so one bit grows into a different picture. These
 * use only IEEE additions, multiplications, divisions and integer steps, by
 * the same methods and constants as glibc's float functions (its own are
 * picked at run time, the same up to a rounding in a few billion inputs), so
 * the scene moves on Windows as it has always moved on Linux.
 */
#ifndef OBX_DEMO_TRIG_H
#define OBX_DEMO_TRIG_H

#ifdef __cplusplus
extern "C" {
#endif

float demoSin(float x);
float demoCos(float x);
float demoAtan2(float y, float x);

#ifdef __cplusplus
}
#endif

#endif
