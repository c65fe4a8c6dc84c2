/* Answers the V4L2 ioctls for fake nodes, so that the camera code can be
 * tested without a camera or kernel module. Loaded with LD_PRELOAD; a node is
 * fake when its path holds "v4l2-fake". Its file name says what it is:
 *   video0  "Fake Zoom Cam": captures video, zoom 100..500 only (value 250)
 *   video1  "Fake Output": an output device, no capture
 *   video2  "Fake PTZ Cam": captures, pan -36000..36000, tilt -18000..18000, zoom 0..10
 * Other ioctls and files go to the C library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/videodev2.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

static int node_of(int fd)
{
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0)
        return -1;
    path[n] = 0;
    const char* name = strrchr(path, '/');
    if (!strstr(path, "v4l2-fake") || !name || strncmp(name, "/video", 6) != 0)
        return -1;
    return name[6] - '0';
}

struct control { unsigned id; int min, max, value; };
static struct control controls[3][3] = {
    {{V4L2_CID_ZOOM_ABSOLUTE, 100, 500, 250}},
    {{0}},
    {{V4L2_CID_PAN_ABSOLUTE, -36000, 36000, 0}, {V4L2_CID_TILT_ABSOLUTE, -18000, 18000, 100},
     {V4L2_CID_ZOOM_ABSOLUTE, 0, 10, 3}},
};
static const char* cards[3] = {"Fake Zoom Cam", "Fake Output", "Fake PTZ Cam"};

static struct control* find_control(int node, unsigned id)
{
    for (int i = 0; i < 3; ++i)
        if (controls[node][i].id == id && id != 0)
            return &controls[node][i];
    return NULL;
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    const int node = node_of(fd);
    if (node < 0 || node > 2) {
        static int (*real)(int, unsigned long, ...);
        if (!real)
            real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
        return real(fd, request, arg);
    }
    if (request == VIDIOC_QUERYCAP) {
        struct v4l2_capability* cap = arg;
        memset(cap, 0, sizeof *cap);
        snprintf((char*)cap->card, sizeof cap->card, "%s", cards[node]);
        cap->device_caps = node == 1 ? V4L2_CAP_VIDEO_OUTPUT : V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        cap->capabilities = cap->device_caps | V4L2_CAP_DEVICE_CAPS;
        return 0;
    }
    if (request == VIDIOC_QUERYCTRL) {
        struct v4l2_queryctrl* q = arg;
        const struct control* c = find_control(node, q->id);
        if (!c) {
            errno = EINVAL;
            return -1;
        }
        q->minimum = c->min;
        q->maximum = c->max;
        q->flags = 0;
        return 0;
    }
    if (request == VIDIOC_G_CTRL || request == VIDIOC_S_CTRL) {
        struct v4l2_control* v = arg;
        struct control* c = find_control(node, v->id);
        if (!c) {
            errno = EINVAL;
            return -1;
        }
        if (request == VIDIOC_G_CTRL)
            v->value = c->value;
        else
            c->value = v->value;
        return 0;
    }
    errno = ENOTTY;
    return -1;
}
