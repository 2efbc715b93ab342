// The engine of the fuzz targets that drive it whole.
#ifndef OBX_FUZZ_ENGINE_H
#define OBX_FUZZ_ENGINE_H

// Starts the engine headless on the first call, then runs setup (the
// target's own preparation, or null) once; aborts when either fails: the
// target runs from the directory that holds the engine's data files.
void fuzzEngineStart(bool (*setup)(void));

#endif
