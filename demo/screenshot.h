/*
 * The frame on the screen (Glide's front buffer, read through the linear
 * frame buffer) written as an RGB PNG file. Used by obx-demo, obx-view and
 * the scene benchmark.
 */
#ifndef OBX_SCREENSHOT_H
#define OBX_SCREENSHOT_H

#ifdef __cplusplus
extern "C" {
#endif

/* width x height: the screen's size. 1 on success; 0 with a message on
 * standard error. */
int screenshotWrite(const char* path, int width, int height);

#ifdef __cplusplus
}
#endif

#endif
