#include "tests/support/x11_window_grab.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstring>

namespace {

Window named_child(Display* display, const char* title) {
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; i++) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name && strcmp(name, title) == 0) found = children[i];
        if (name) XFree(name);
    }
    if (children) XFree(children);
    return found;
}

// The channel's 8 bits from a pixel under a mask of 8 contiguous bits.
uint8_t channel(unsigned long pixel, unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        shift++;
    }
    return uint8_t((pixel >> shift) & mask);
}

}  // namespace

bool x11_window_grab(const char* title, rgb_picture* out, std::string* why) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        *why = "no X display";
        return false;
    }
    bool ok = false;
    Window window = named_child(display, title);
    XWindowAttributes a;
    if (!window) {
        *why = std::string("no window \"") + title + "\"";
    } else if (!XGetWindowAttributes(display, window, &a)) {
        *why = "no window attributes";
    } else if (XImage* image = XGetImage(display, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap)) {
        out->width = a.width;
        out->height = a.height;
        out->rgb.resize(size_t(a.width) * size_t(a.height) * 3);
        for (int y = 0; y < a.height; y++)
            for (int x = 0; x < a.width; x++) {
                unsigned long p = XGetPixel(image, x, y);
                uint8_t* to = &out->rgb[(size_t(y) * size_t(a.width) + size_t(x)) * 3];
                to[0] = channel(p, image->red_mask);
                to[1] = channel(p, image->green_mask);
                to[2] = channel(p, image->blue_mask);
            }
        XDestroyImage(image);
        ok = true;
    } else {
        *why = "XGetImage failed";
    }
    XCloseDisplay(display);
    return ok;
}
