// Flat screen-space rectangles of the 2D layers: a texture of RGBA pixels blended over
// the picture, and the translucent fade rectangle. Drawn in the current projection.
#pragma once
#include <SDL_opengl.h>
#include <cstdint>

// A w x h RGBA texture with nearest filtering and no contents; 0 on failure.
GLuint screen_texture_create(int w, int h);

// Uploads w x h tightly packed RGBA pixels to the texture's corner (0, 0).
void screen_texture_upload(GLuint texture, int w, int h, const uint8_t* rgba);

// The texture's (s0, t0)-(s1, t1) over the rectangle (x0, y0)-(x1, y1), white, blended
// source alpha over one minus source alpha, alpha test off; leaves blending, the alpha
// test and texturing off.
void screen_texture_draw(GLuint texture, float x0, float y0, float x1, float y1, float s0, float t0, float s1,
                         float t1);

// An untextured rectangle in (r, g, b, a), blended the same way (a faint fade must not
// fall to the alpha test); leaves blending and the alpha test off.
void screen_colour_draw(float x0, float y0, float x1, float y1, float r, float g, float b, float a);
