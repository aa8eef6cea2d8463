"""Screenshots against their references: a still screen may differ by more
than 2 levels in at most 0.1% of its pixels, a movie frame needs 35 dB PSNR."""

import math

import cairo

STILL_LEVELS = 2            # a still screen's pixels may differ by this much...
STILL_SHARE = 0.001         # ...and by more in at most this share of pixels
MOVIE_PSNR_DB = 35.0


def load_pixels(path):
    surface = cairo.ImageSurface.create_from_png(path)
    surface.flush()
    stride = surface.get_stride()
    width, height = surface.get_width(), surface.get_height()
    data = bytes(surface.get_data())
    # Rows without their padding; cairo keeps B, G, R, A per pixel here.
    rows = b"".join(data[y * stride:y * stride + width * 4] for y in range(height))
    return width, height, rows


def write_difference(got, want, path):
    """A picture of where two screens differ: each channel's difference,
    brightened four times so small ones show."""
    width, height, a = got
    _, _, b = want
    pixels = bytearray(len(a))
    for i in range(0, len(a), 4):
        pixels[i] = min(255, 4 * abs(a[i] - b[i]))
        pixels[i + 1] = min(255, 4 * abs(a[i + 1] - b[i + 1]))
        pixels[i + 2] = min(255, 4 * abs(a[i + 2] - b[i + 2]))
        pixels[i + 3] = 255
    surface = cairo.ImageSurface.create_for_data(pixels, cairo.FORMAT_ARGB32, width, height, width * 4)
    surface.write_to_png(path)


def compare_picture(got_path, want_path, is_movie):
    """None when the pictures match, else why not."""
    got, want = load_pixels(got_path), load_pixels(want_path)
    if got[:2] != want[:2]:
        return "size %dx%d, reference %dx%d" % (got[0], got[1], want[0], want[1])
    if got[2] == want[2]:
        return None
    a, b = got[2], want[2]
    if is_movie:
        squares = sum((a[i + c] - b[i + c]) ** 2 for i in range(0, len(a), 4) for c in range(3))
        mse = squares / (len(a) // 4 * 3)
        psnr = 10 * math.log10(255 * 255 / mse)
        return None if psnr >= MOVIE_PSNR_DB else "PSNR %.1f dB under %.0f dB" % (psnr, MOVIE_PSNR_DB)
    differing = 0
    for i in range(0, len(a), 4):
        if (abs(a[i] - b[i]) > STILL_LEVELS or abs(a[i + 1] - b[i + 1]) > STILL_LEVELS
                or abs(a[i + 2] - b[i + 2]) > STILL_LEVELS):
            differing += 1
    share = differing / (len(a) // 4)
    if share <= STILL_SHARE:
        return None
    return "%d pixels (%.3f%%) differ by more than %d levels" % (differing, 100 * share, STILL_LEVELS)
