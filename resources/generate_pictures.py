#!/usr/bin/python3
"""Draws Varnelle's pictures.

Needs Python 3 with Pillow: `apt-get install python3-pil`.

The pictures it writes are committed next to this script, so building Varnelle
never runs it; run it again only to change the artwork:

    /usr/bin/python3 resources/generate_pictures.py [output folder]

It writes:
  flat_ends.gif, conical_ends.gif, spherical_cap_ends.gif, quarter_round_ends.gif
      150 x 112, GIF89a, one frame, 256-colour global palette, not interlaced,
      no transparency: the same grey-violet tank with each of the four end shapes.
  application.png, application.ico
      158 x 136, 256 colours: a white oil tank on a lawn in front of a house.
      The .ico holds one 8-bit image and is used for the Windows program file.
  icon_48.png, icon_64.png, icon_128.png, icon_256.png
      Square, RGBA with transparent corners: the application icon that desktops
      and software centres look up by the name "varnelle" in the hicolor theme;
      the white tank, cut open on its oil, on a rounded square of sky and lawn.

Everything is drawn as flat-shaded 3-D facets in perspective (painter's
algorithm) at four times the final size, then averaged down and reduced to
a 256-colour palette.
"""

import math
import os
import random
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter

SUPERSAMPLE = 4

# ---------------------------------------------------------------------------
# Small vector helpers on 3-tuples.


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def scale(a, k):
    return (a[0] * k, a[1] * k, a[2] * k)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def normalize(a):
    length = math.sqrt(dot(a, a))
    return scale(a, 1.0 / length) if length else a


def centroid(points):
    n = float(len(points))
    return (sum(p[0] for p in points) / n, sum(p[1] for p in points) / n, sum(p[2] for p in points) / n)


def mix(c1, c2, t):
    """Blends two RGB colours; t = 0 gives c1, t = 1 gives c2."""
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


# ---------------------------------------------------------------------------
# Camera, canvas and shading.


class Camera:
    """A pinhole camera; z is up in the world."""

    def __init__(self, eye, target):
        self.eye, self.target = eye, target
        self.forward = normalize(sub(target, eye))
        self.right = normalize(cross(self.forward, (0.0, 0.0, 1.0)))
        self.up = cross(self.right, self.forward)

    def project(self, p):
        """Returns the point on the image plane (x right, y down) at unit focal length."""
        d = sub(p, self.eye)
        depth = dot(d, self.forward)
        return (dot(d, self.right) / depth, -dot(d, self.up) / depth)

    def moved(self, shift):
        """The same camera, shifted: a way to look at an object modelled in its own frame."""
        return Camera(add(self.eye, shift), add(self.target, shift))

    def distance(self, p):
        return math.sqrt(dot(sub(p, self.eye), sub(p, self.eye)))

    def faces_camera(self, point, normal):
        return dot(normal, sub(self.eye, point)) > 0.0


class Canvas:
    """A supersampled RGB drawing surface looked at through a camera."""

    def __init__(self, width, height, camera, light, background=(255, 255, 255)):
        self.width, self.height = width, height
        self.camera = camera
        self.light = normalize(light)  # direction towards the sun
        self.image = Image.new("RGB", (width * SUPERSAMPLE, height * SUPERSAMPLE), background)
        self.draw = ImageDraw.Draw(self.image)
        self.zoom, self.offset = 1.0, (0.0, 0.0)

    def fit(self, points, margin):
        """Zooms and centres the view so that all points fit inside the margin (in final pixels)."""
        projected = [self.camera.project(p) for p in points]
        xs = [p[0] for p in projected]
        ys = [p[1] for p in projected]
        span_x, span_y = max(xs) - min(xs), max(ys) - min(ys)
        self.zoom = min((self.width - 2 * margin) / span_x, (self.height - 2 * margin) / span_y)
        centre_x, centre_y = (max(xs) + min(xs)) / 2, (max(ys) + min(ys)) / 2
        self.offset = (self.width / 2 - centre_x * self.zoom, self.height / 2 - centre_y * self.zoom)

    def to_pixel(self, p):
        x, y = self.camera.project(p)
        return ((x * self.zoom + self.offset[0]) * SUPERSAMPLE, (y * self.zoom + self.offset[1]) * SUPERSAMPLE)

    def shade(self, material, normal, point):
        return shade(material, normal, point, self.camera, self.light)

    def polygon(self, points, colour, draw=None):
        pixels = [self.to_pixel(p) for p in points]
        (draw or self.draw).polygon(pixels, fill=colour, outline=colour)

    def polyline(self, points, colour, width):
        """A line through 3-D points; width in final pixels."""
        pixels = [self.to_pixel(p) for p in points]
        self.draw.line(pixels, fill=colour, width=int(round(width * SUPERSAMPLE)), joint="curve")

    def new_layer(self, mode="RGB", colour=0):
        image = Image.new(mode, self.image.size, colour)
        return image, ImageDraw.Draw(image)

    def result(self):
        """Averages the supersampled drawing down to the final size."""
        return self.image.resize((self.width, self.height), Image.Resampling.BOX)


class Material:
    def __init__(self, colour, ambient=0.42, diffuse=0.62, specular=0.35, shininess=28.0):
        self.colour = colour
        self.ambient, self.diffuse = ambient, diffuse
        self.specular, self.shininess = specular, shininess


def shade(material, normal, point, camera, light):
    """Blinn-Phong shading with a sky-coloured ambient term that brightens upward faces."""
    normal = normalize(normal)
    to_eye = normalize(sub(camera.eye, point))
    halfway = normalize(add(light, to_eye))
    lambert = max(0.0, dot(normal, light))
    gloss = max(0.0, dot(normal, halfway)) ** material.shininess
    brightness = material.ambient * (0.8 + 0.2 * normal[2]) + material.diffuse * lambert
    highlight = 255.0 * material.specular * gloss
    return tuple(max(0, min(255, int(round(c * brightness + highlight)))) for c in material.colour)


def to_palette(image):
    """Reduces an RGB picture to exactly 256 palette entries, without transparency."""
    paletted = image.quantize(colors=256, method=Image.Quantize.MEDIANCUT, kmeans=3)
    palette = paletted.getpalette()[: 256 * 3]
    palette += [0] * (256 * 3 - len(palette))
    paletted.putpalette(palette)
    paletted.info.pop("transparency", None)
    return paletted


# ---------------------------------------------------------------------------
# The tank: a horizontal surface of revolution along x, radius R, cylindrical
# part from x = 0 (end nearest the viewer) to x = length.

END_SHAPES = ("flat", "conical", "spherical_cap", "quarter_round")


class Tank:
    def __init__(self, end_shape, radius=1.0, length=3.3):
        assert end_shape in END_SHAPES
        self.end_shape = end_shape
        self.radius, self.length = radius, length
        self.profile = tank_profile(self)
        # Facets around the axis; the seam at angle 0 lies at the back, out of sight.
        self.angles = [2.0 * math.pi * i / 144 for i in range(145)]


def end_profile(tank):
    """Profile (x, r) of the end at x <= 0, from the axis out to the cylinder's rim at (0, R).

    The ends are drawn deeper than real tanks' so that their shape reads in a small picture."""
    R = tank.radius
    if tank.end_shape == "flat":
        return [(0.0, 0.0), (0.0, 0.5 * R), (0.0, R)]
    if tank.end_shape == "conical":
        depth, small_radius = 0.42 * R, 0.5 * R
        return [(-depth, 0.0), (-depth, small_radius), (-depth * 0.5, (small_radius + R) / 2), (0.0, R)]
    if tank.end_shape == "spherical_cap":
        bulge = 0.55 * R
        sphere = (R * R + bulge * bulge) / (2.0 * bulge)
        widest = math.asin(R / sphere)
        steps = 18
        return [(sphere - bulge - sphere * math.cos(widest * i / steps), sphere * math.sin(widest * i / steps))
                for i in range(steps + 1)]
    # quarter_round: a flat face whose rim turns into the cylinder along a quarter circle
    corner = 0.38 * R
    steps = 14
    points = [(-corner, 0.0), (-corner, (R - corner) / 2)]
    for i in range(steps + 1):
        a = 0.5 * math.pi * i / steps
        points.append((-corner * math.cos(a), R - corner + corner * math.sin(a)))
    return points


def tank_profile(tank):
    """Full profile from the near pole to the far pole; the far end mirrors the near one."""
    return end_profile(tank) + cylinder_profile(tank)[1:-1] + far_end_profile(tank)


def cylinder_profile(tank):
    """The cylindrical part, cut in short lengths so that light and the cut-away fall on separate facets."""
    return [(tank.length * i / 24, tank.radius) for i in range(25)]


def far_end_profile(tank):
    return [(tank.length - x, r) for x, r in reversed(end_profile(tank))]


def revolve(profile, angles):
    """Turns a profile (x, r) about the x axis: yields each facet with its outward normal."""
    for (x0, r0), (x1, r1) in zip(profile, profile[1:]):
        if abs(x1 - x0) < 1e-9 and abs(r1 - r0) < 1e-9:
            continue
        nx, nr = profile_normal((x0, r0), (x1, r1))
        for a0, a1 in zip(angles, angles[1:]):
            quad = [surface_point(x0, r0, a0), surface_point(x1, r1, a0),
                    surface_point(x1, r1, a1), surface_point(x0, r0, a1)]
            middle = (a0 + a1) / 2
            normal = (nx, nr * math.cos(middle), nr * math.sin(middle))
            yield quad, normal


def surface_point(x, r, angle):
    return (x, r * math.cos(angle), r * math.sin(angle))


def tank_outline_points(tank):
    """Points enough to frame the whole tank with its collar and pipe."""
    points = [surface_point(x, r, a) for x, r in tank.profile for a in tank.angles[::6]]
    points += [p for p in collar_geometry(tank)["lid_ring"]]
    points.append(add(vent_pipe_geometry(tank)["top"], (0.0, 0.0, 0.08)))
    return points


def draw_outside(canvas, facets, material):
    """Draws the facets that face the camera. The tank is convex, so these never overlap one another."""
    for quad, normal in facets:
        point = centroid(quad)
        if canvas.camera.faces_camera(point, normal):
            canvas.polygon(quad, canvas.shade(material, normal, point))


def draw_body(canvas, tank, material):
    """The cylindrical shell."""
    draw_outside(canvas, revolve(cylinder_profile(tank), tank.angles), material)


def draw_ends(canvas, tank, material):
    """Both ends, shaped after the tank's end shape; the near one shows it to the viewer."""
    draw_outside(canvas, revolve(end_profile(tank), tank.angles), material)
    draw_outside(canvas, revolve(far_end_profile(tank), tank.angles), material)


def draw_creases(canvas, tank, colour):
    """Darkens the sharp edges of the shell (where an end meets the cylinder, the rim of a cone's face),
    as a draughtsman would; a rounded rim has no such edge."""
    profile = tank.profile
    for before, corner, after in zip(profile, profile[1:], profile[2:]):
        if corner[1] < 1e-6 or crease_angle(before, corner, after) < 0.3:
            continue
        normals = (profile_normal(before, corner), profile_normal(corner, after))
        run = []
        for angle in tank.angles:
            point = surface_point(corner[0], corner[1], angle)
            seen = any(canvas.camera.faces_camera(point, (nx, nr * math.cos(angle), nr * math.sin(angle)))
                       for nx, nr in normals)
            if seen:
                run.append(point)
            else:
                if len(run) > 1:
                    canvas.polyline(run, colour, 0.75)
                run = []
        if len(run) > 1:
            canvas.polyline(run, colour, 0.75)


def profile_normal(a, b):
    """Outward normal (x, r) of the profile segment from a to b."""
    dx, dr = b[0] - a[0], b[1] - a[1]
    length = math.hypot(dx, dr)
    return (-dr / length, dx / length)


def crease_angle(a, b, c):
    u = (b[0] - a[0], b[1] - a[1])
    v = (c[0] - b[0], c[1] - b[1])
    nu, nv = math.hypot(*u), math.hypot(*v)
    if nu < 1e-9 or nv < 1e-9:
        return 0.0
    return math.acos(max(-1.0, min(1.0, (u[0] * v[0] + u[1] * v[1]) / (nu * nv))))


def collar_geometry(tank):
    R = tank.radius
    centre_x, radius, height = 0.44 * tank.length, 0.3 * R, 0.2 * R
    rings = []
    for a in tank.angles[::3]:
        y, x = radius * math.sin(a), centre_x + radius * math.cos(a)
        rings.append(((x, y, math.sqrt(R * R - y * y)), (x, y, R + height), a))
    lid_radius = radius * 1.14
    lid = [(centre_x + lid_radius * math.cos(a), lid_radius * math.sin(a), R + height) for a in tank.angles[::3]]
    return {"centre": (centre_x, 0.0, R + height), "rings": rings, "lid_ring": lid,
            "lid_thickness": 0.06 * R}


def draw_collar(canvas, tank, material):
    """The manhole collar: a short upright cylinder standing on the shell, closed by a lid."""
    geometry = collar_geometry(tank)
    rings = geometry["rings"]
    for (bottom0, top0, a0), (bottom1, top1, a1) in zip(rings, rings[1:]):
        middle = (a0 + a1) / 2
        normal = (math.cos(middle), math.sin(middle), 0.0)
        quad = [bottom0, bottom1, top1, top0]
        if canvas.camera.faces_camera(centroid(quad), normal):
            canvas.polygon(quad, canvas.shade(material, normal, centroid(quad)))
    lid = geometry["lid_ring"]
    thickness = geometry["lid_thickness"]
    centre = geometry["centre"]
    for p0, p1 in zip(lid, lid[1:]):
        quad = [p0, p1, add(p1, (0, 0, thickness)), add(p0, (0, 0, thickness))]
        normal = normalize(sub(centroid(quad), (centre[0], centre[1], centroid(quad)[2])))
        if canvas.camera.faces_camera(centroid(quad), normal):
            canvas.polygon(quad, canvas.shade(material, normal, centroid(quad)))
    top = [add(p, (0, 0, thickness)) for p in lid]
    canvas.polygon(top, canvas.shade(material, (0.0, 0.0, 1.0), add(centre, (0, 0, thickness))))


def vent_pipe_geometry(tank):
    R = tank.radius
    base = (0.8 * tank.length, 0.25 * R, math.sqrt(R * R - (0.25 * R) ** 2))
    return {"base": base, "top": (base[0], base[1], R + 0.72 * R), "radius": 0.045 * R}


def draw_vent_pipe(canvas, tank, material):
    """The thin upright vent pipe, topped by a small cap."""
    geometry = vent_pipe_geometry(tank)
    base, top = geometry["base"], geometry["top"]
    draw_upright_cylinder(canvas, base, top[2] - base[2], geometry["radius"], material)
    cap_base = add(top, (0.0, 0.0, -0.02))
    draw_upright_cylinder(canvas, cap_base, 0.07, geometry["radius"] * 2.2, material, closed=True)


def draw_upright_cylinder(canvas, base, height, radius, material, closed=False):
    steps = 36
    ring = [(base[0] + radius * math.cos(2 * math.pi * i / steps), base[1] + radius * math.sin(2 * math.pi * i / steps))
            for i in range(steps + 1)]
    for i, ((x0, y0), (x1, y1)) in enumerate(zip(ring, ring[1:])):
        middle = 2 * math.pi * (i + 0.5) / steps
        normal = (math.cos(middle), math.sin(middle), 0.0)
        quad = [(x0, y0, base[2]), (x1, y1, base[2]), (x1, y1, base[2] + height), (x0, y0, base[2] + height)]
        if canvas.camera.faces_camera(centroid(quad), normal):
            canvas.polygon(quad, canvas.shade(material, normal, centroid(quad)))
    if closed:
        top = [(x, y, base[2] + height) for x, y in ring]
        canvas.polygon(top, canvas.shade(material, (0.0, 0.0, 1.0), centroid(top)))


class CutAway:
    """An opening in the front of the shell near the far end, and the oil level inside."""

    def __init__(self, tank):
        R = tank.radius
        self.x_from, self.x_to = 0.56 * tank.length, 0.88 * tank.length
        self.angle_from, self.angle_to = math.radians(118), math.radians(212)
        self.oil_level = -0.12 * R  # height of the oil surface above the axis
        self.oil_angle = math.pi - math.asin(self.oil_level / R)

    def outline(self, tank):
        """The edge of the opening on the shell, as a closed loop of points."""
        R = tank.radius
        steps = 24
        angles = [self.angle_from + (self.angle_to - self.angle_from) * i / steps for i in range(steps + 1)]
        near_edge = [surface_point(self.x_from, R, a) for a in angles]
        far_edge = [surface_point(self.x_to, R, a) for a in reversed(angles)]
        return near_edge + far_edge + [near_edge[0]]


def draw_cutaway(canvas, tank, cut, shell, oil):
    """Shows the inside through the opening: the far inner wall, the oil surface and the cut oil below it."""
    layer, layer_draw = canvas.new_layer()
    inner = Material(mix(shell.colour, (40, 34, 52), 0.45), ambient=0.55, diffuse=0.35, specular=0.0)
    for quad, normal in revolve(tank.profile, tank.angles):
        point = centroid(quad)
        if not canvas.camera.faces_camera(point, normal):
            canvas.polygon(quad, canvas.shade(inner, scale(normal, -1.0), point), layer_draw)

    # The oil's free surface: where the plane z = oil_level crosses the inside of the tank.
    level = cut.oil_level
    rim = [(x, math.sqrt(r * r - level * level)) for x, r in tank.profile if r > abs(level)]
    surface = [(x, -y, level) for x, y in rim] + [(x, y, level) for x, y in reversed(rim)]
    surface_material = Material(oil.colour, ambient=1.0, diffuse=0.3, specular=0.55, shininess=10.0)
    canvas.polygon(surface, canvas.shade(surface_material, (0.0, 0.0, 1.0), centroid(surface)), layer_draw)

    # Below the oil level the opening cuts straight through the oil.
    steps = 12  # facet by facet, so that the cut follows the curved shell
    for i in range(steps):
        a0 = cut.oil_angle + (cut.angle_to - cut.oil_angle) * i / steps
        a1 = cut.oil_angle + (cut.angle_to - cut.oil_angle) * (i + 1) / steps
        quad = [surface_point(cut.x_from, tank.radius, a0), surface_point(cut.x_to, tank.radius, a0),
                surface_point(cut.x_to, tank.radius, a1), surface_point(cut.x_from, tank.radius, a1)]
        normal = (0.0, math.cos((a0 + a1) / 2), math.sin((a0 + a1) / 2))
        canvas.polygon(quad, canvas.shade(oil, normal, centroid(quad)), layer_draw)

    mask, mask_draw = canvas.new_layer("L", 0)
    canvas.polygon(cut.outline(tank), 255, mask_draw)
    canvas.image.paste(layer, (0, 0), mask)

    # The cut edge of the sheet metal, lit along the opening.
    canvas.polyline(cut.outline(tank), mix(shell.colour, (255, 255, 255), 0.55), 0.75)
    oil_line = [surface_point(cut.x_from, tank.radius, cut.oil_angle),
                surface_point(cut.x_to, tank.radius, cut.oil_angle)]
    canvas.polyline(oil_line, mix(oil.colour, (255, 255, 255), 0.25), 0.5)


def draw_ground_shadow(canvas, tank, ground, depth, colour, blur=6.0):
    """A soft shadow on the ground (at height `ground` from the axis), cast a little away from the light,
    its edge blurred over `blur` final pixels."""
    R = tank.radius
    light = canvas.light
    shift = (-0.4 * R * light[0] / light[2], -0.4 * R * light[1] / light[2])
    points = []
    end_depth = -min(x for x, _ in end_profile(tank))
    for i in range(72):
        a = 2 * math.pi * i / 72
        x = tank.length / 2 + (tank.length / 2 + end_depth + 0.1) * math.cos(a)
        y = 0.85 * R * math.sin(a)
        points.append((x + shift[0], y + shift[1], ground))
    mask, mask_draw = canvas.new_layer("L", 0)
    canvas.polygon(points, int(255 * depth), mask_draw)
    mask = mask.filter(ImageFilter.GaussianBlur(blur * SUPERSAMPLE))
    canvas.image.paste(Image.new("RGB", canvas.image.size, colour), (0, 0), mask)


def draw_tank(canvas, tank, shell, cut=None, oil=None):
    """Draws the parts of the tank back to front."""
    draw_body(canvas, tank, shell)
    draw_ends(canvas, tank, shell)
    draw_creases(canvas, tank, mix(shell.colour, (30, 25, 45), 0.55))
    if cut is not None:
        draw_cutaway(canvas, tank, cut, shell, oil)
    parts = [(canvas.camera.distance(collar_geometry(tank)["centre"]), draw_collar),
             (canvas.camera.distance(vent_pipe_geometry(tank)["top"]), draw_vent_pipe)]
    for _, draw_part in sorted(parts, key=lambda part: -part[0]):
        draw_part(canvas, tank, shell)


# ---------------------------------------------------------------------------
# The four end-shape pictures.

GREY_VIOLET = (172, 160, 198)
OIL = (58, 42, 36)


def end_shape_picture(end_shape):
    tank = Tank(end_shape)
    eye = (-3.7, -5.3, 3.2)
    camera = Camera(eye, (tank.length * 0.5, 0.0, -0.05))
    # Lit from the upper left and well in front, so that each face of the end takes its own tone.
    canvas = Canvas(150, 112, camera, light=(-0.85, -0.45, 0.8))
    canvas.fit(tank_outline_points(tank), margin=4)
    draw_ground_shadow(canvas, tank, -tank.radius, 0.45, (222, 218, 230))
    draw_tank(canvas, tank, Material(GREY_VIOLET), CutAway(tank), Material(OIL, ambient=0.8, diffuse=0.4))
    return canvas.result()


# ---------------------------------------------------------------------------
# The application picture: a white tank on a lawn in front of a house.


def draw_sky(canvas):
    width, height = canvas.image.size
    top, horizon = (96, 150, 222), (206, 226, 246)
    for y in range(height):
        canvas.draw.line([(0, y), (width, y)], fill=mix(top, horizon, y / height))


def draw_clouds(canvas, centres):
    """Soft white clouds, each a few blurred puffs, at (x, y) given in final pixels."""
    mask, mask_draw = canvas.new_layer("L", 0)
    for cx, cy in centres:
        for dx, dy, r in ((-7, 1, 4), (-2, -2, 5), (4, 0, 4.5), (9, 2, 3)):
            x, y, r = (cx + dx) * SUPERSAMPLE, (cy + dy) * SUPERSAMPLE, r * SUPERSAMPLE
            mask_draw.ellipse([x - r * 1.3, y - r, x + r * 1.3, y + r], fill=235)
    mask = mask.filter(ImageFilter.GaussianBlur(1.5 * SUPERSAMPLE))
    canvas.image.paste(Image.new("RGB", canvas.image.size, (255, 255, 255)), (0, 0), mask)


def draw_lawn(canvas):
    """The lawn from the horizon down, darker in the distance, with a little random grass texture."""
    far, near = (84, 140, 58), (112, 178, 72)
    width, height = canvas.image.size
    horizon = max(0, int(canvas.to_pixel((0.0, 1.0e6, 0.0))[1]))
    for y in range(horizon, height):
        canvas.draw.line([(0, y), (width, y)], fill=mix(far, near, (y - horizon) / max(1, height - horizon)))
    rng = random.Random(7)
    for _ in range(width * (height - horizon) // 40):
        x, y = rng.randrange(width), rng.randrange(horizon, height)
        blade = (40, 80, 30) if rng.random() < 0.6 else (170, 210, 110)
        tone = mix(canvas.image.getpixel((x, y)), blade, 0.35)
        canvas.draw.line([(x, y), (x + rng.choice((-1, 0, 1)), y - rng.randrange(2, 6))], fill=tone, width=1)


def box_faces(x0, x1, y0, y1, z0, z1):
    """The four walls and the top of an axis-aligned box, with outward normals."""
    return [
        ([(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)], (0.0, -1.0, 0.0)),
        ([(x1, y1, z0), (x0, y1, z0), (x0, y1, z1), (x1, y1, z1)], (0.0, 1.0, 0.0)),
        ([(x0, y1, z0), (x0, y0, z0), (x0, y0, z1), (x0, y1, z1)], (-1.0, 0.0, 0.0)),
        ([(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)], (1.0, 0.0, 0.0)),
        ([(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)], (0.0, 0.0, 1.0)),
    ]


def draw_faces(canvas, faces, material):
    for points, normal in faces:
        point = centroid(points)
        if canvas.camera.faces_camera(point, normal):
            canvas.polygon(points, canvas.shade(material, normal, point))


class House:
    """A plastered single-storey house with a gable roof, its front facing the viewer (-y)."""
    left, right, front, back = -3.6, 5.2, 4.0, 8.0
    eaves, ridge, overhang = 2.9, 4.6, 0.35
    wall = Material((246, 234, 208), ambient=0.7, diffuse=0.45, specular=0.05)
    roof = Material((176, 78, 56), ambient=0.45, diffuse=0.6, specular=0.1)
    chimney = Material((150, 70, 52), ambient=0.5, diffuse=0.55, specular=0.05)
    frame = Material((252, 252, 250), ambient=0.8, diffuse=0.35, specular=0.05)
    glass = Material((92, 120, 150), ambient=0.6, diffuse=0.35, specular=0.6, shininess=12)
    door = Material((122, 74, 44), ambient=0.55, diffuse=0.5, specular=0.05)
    windows = ((-3.1, 1.0), (1.0, 1.0), (3.4, 1.0))  # left, sill height
    window_size = (1.0, 1.2)
    door_place = (-1.65, 0.95, 2.1)  # left, width, height


def draw_house(canvas):
    draw_house_walls(canvas, House)
    draw_windows_and_door(canvas, House)
    draw_roof(canvas, House)


def draw_house_walls(canvas, house):
    walls = box_faces(house.left, house.right, house.front, house.back, 0.0, house.eaves)[:4]
    middle = (house.front + house.back) / 2
    walls += [([(house.left, house.back, house.eaves), (house.left, house.front, house.eaves),
                (house.left, middle, house.ridge)], (-1.0, 0.0, 0.0)),
              ([(house.right, house.front, house.eaves), (house.right, house.back, house.eaves),
                (house.right, middle, house.ridge)], (1.0, 0.0, 0.0))]
    draw_faces(canvas, walls, house.wall)


def draw_windows_and_door(canvas, house):
    """Two-pane windows in white frames, and the door, laid just in front of the front wall."""
    front = house.front - 0.01
    width, height = house.window_size
    for left, sill in house.windows:
        draw_faces(canvas, [front_rect(left - 0.1, sill - 0.1, width + 0.2, height + 0.2, front)], house.frame)
        for pane in range(2):
            pane_left = left + pane * width / 2 + 0.05
            pane_face = front_rect(pane_left, sill + 0.05, width / 2 - 0.1, height - 0.1, front - 0.01)
            draw_faces(canvas, [pane_face], house.glass)
    left, width, height = house.door_place
    draw_faces(canvas, [front_rect(left, 0.0, width, height, front)], house.door)


def draw_roof(canvas, house):
    """Two tiled slopes overhanging the walls, and a chimney."""
    left, right = house.left - house.overhang, house.right + house.overhang
    low = house.eaves - 0.2
    middle = (house.front + house.back) / 2
    rise = house.ridge - house.eaves
    front_slope = [(left, house.front - house.overhang, low), (right, house.front - house.overhang, low),
                   (right, middle, house.ridge), (left, middle, house.ridge)]
    back_slope = [(right, house.back + house.overhang, low), (left, house.back + house.overhang, low),
                  (left, middle, house.ridge), (right, middle, house.ridge)]
    slopes = [(front_slope, normalize((0.0, -rise, middle - house.front))),
              (back_slope, normalize((0.0, rise, house.back - middle)))]
    draw_faces(canvas, slopes, house.roof)
    draw_roof_tiles(canvas, front_slope, mix(house.roof.colour, (60, 20, 10), 0.45))
    draw_faces(canvas, box_faces(3.2, 3.8, 5.0, 5.6, 3.5, 5.1), house.chimney)


def front_rect(left, bottom, width, height, y):
    """A rectangle in the plane of the house front, facing the viewer."""
    top = bottom + height
    corners = [(left, y, bottom), (left + width, y, bottom), (left + width, y, top), (left, y, top)]
    return (corners, (0.0, -1.0, 0.0))


def draw_roof_tiles(canvas, slope, colour):
    """Rows of tiles: thin lines across the front slope."""
    low_left, low_right, high_right, high_left = slope
    for i in range(1, 7):
        t = i / 7
        row = [add(low_left, scale(sub(high_left, low_left), t)), add(low_right, scale(sub(high_right, low_right), t))]
        canvas.polyline(row, colour, 0.5)


def draw_bushes(canvas):
    """Round shrubs along the front wall, each a cluster of green blobs."""
    rng = random.Random(3)
    for cx, cy, size in ((-2.5, 3.4, 0.5), (-3.3, 3.3, 0.45), (4.8, 3.3, 0.7)):
        for _ in range(14):
            x = cx + rng.uniform(-size, size)
            z = rng.uniform(0.2, size * 1.1)
            r = rng.uniform(0.25, 0.45) * size
            left, top = canvas.to_pixel((x - r, cy, z + r))
            right, bottom = canvas.to_pixel((x + r, cy, z - r))
            canvas.draw.ellipse([left, top, right, bottom], fill=mix((46, 100, 40), (100, 160, 70), rng.random()))


def draw_saddles(canvas, tank, axis_height, material):
    """Two small feet carrying the tank's axis axis_height above the lawn."""
    R = tank.radius
    for x in (0.2 * tank.length, 0.8 * tank.length):
        draw_faces(canvas, box_faces(x - 0.12, x + 0.12, -0.62 * R, 0.62 * R, -axis_height, -0.6 * R), material)


def application_picture():
    """The scene stands on the lawn at z = 0; the tank is modelled around its own axis, which is raised
    `axis_height` above the lawn by its two feet."""
    tank = Tank("spherical_cap", radius=1.0, length=3.2)
    axis_height = 1.22
    camera = Camera((-0.9, -8.2, 2.5), (1.4, 2.0, 1.3))
    canvas = Canvas(158, 136, camera, light=(-0.5, -0.8, 0.75))
    canvas.fit([(-4.0, 4.0, 0.0), (5.6, 4.0, 0.0), (-0.6, -0.9, 0.0), (3.8, -0.9, 0.0), (0.0, 6.0, 4.6)], margin=-2)
    draw_sky(canvas)
    draw_clouds(canvas, [(28, 9), (112, 6)])
    draw_lawn(canvas)
    draw_house(canvas)
    draw_bushes(canvas)

    canvas.camera = camera.moved((0.0, 0.0, -axis_height))
    draw_ground_shadow(canvas, tank, -axis_height, 0.55, (52, 92, 36))
    draw_saddles(canvas, tank, axis_height, Material((120, 120, 124)))
    draw_tank(canvas, tank, Material((246, 246, 248), ambient=0.6, diffuse=0.45, specular=0.3))
    return canvas.result()


# ---------------------------------------------------------------------------
# The application icon: the white tank of the application picture, cut open to
# show its oil, standing on a rounded square of sky and lawn.

ICON_SIZES = (48, 64, 128, 256)


def icon_picture(size):
    """A square picture with transparent corners, drawn afresh at each size so that every size is sharp.

    Desktops and software centres show icons in square boxes down to 48 pixels, where the house and
    the clouds of the application picture would be noise: the tank alone stays, with its oil."""
    tank = Tank("spherical_cap", radius=1.0, length=3.2)
    axis_height = 1.22
    camera = Camera((-3.4, -6.6, 1.1), (tank.length * 0.5, 0.0, -0.15))
    canvas = Canvas(size, size, camera, light=(-0.6, -0.7, 0.75))
    plate_margin = size / 16.0
    feet = [(x, y, -axis_height) for x in (0.0, tank.length) for y in (-tank.radius, tank.radius)]
    canvas.fit(tank_outline_points(tank) + feet, margin=plate_margin + size / 20.0)
    draw_sky(canvas)
    draw_lawn(canvas)
    draw_ground_shadow(canvas, tank, -axis_height, 0.55, (52, 92, 36), blur=size / 24.0)
    draw_saddles(canvas, tank, axis_height, Material((120, 120, 124)))
    shell = Material((246, 246, 248), ambient=0.6, diffuse=0.45, specular=0.3)
    draw_tank(canvas, tank, shell, CutAway(tank), Material(OIL, ambient=0.8, diffuse=0.4))
    return rounded_plate(canvas, plate_margin, corner=size / 6.0)


def rounded_plate(canvas, margin, corner):
    """The drawing cut to a square with rounded corners (margin and corner in final pixels), the
    rest transparent."""
    mask, mask_draw = canvas.new_layer("L", 0)
    width, height = canvas.image.size
    inset = margin * SUPERSAMPLE
    mask_draw.rounded_rectangle([inset, inset, width - inset - 1, height - inset - 1],
                                radius=corner * SUPERSAMPLE, fill=255)
    plate = canvas.image.convert("RGBA")
    plate.putalpha(mask)
    # Pillow weighs colours by their opacity when it scales RGBA, so the rim takes no dark fringe.
    return plate.resize((canvas.width, canvas.height), Image.Resampling.BOX)


# ---------------------------------------------------------------------------
# Writers.


def save_gif(image, path):
    """One frame, GIF89a, full 256-entry global colour table, not interlaced, no transparency."""
    paletted = to_palette(image)
    paletted.info["version"] = b"89a"
    paletted.save(path, "GIF", optimize=False, interlace=False)


def save_ico(paletted, path):
    """A one-image Windows icon: BITMAPINFOHEADER, 8 bits per pixel, 256-colour palette, XOR and AND masks.

    Written by hand because Pillow stores icons as PNG or resizes them to square sizes."""
    width, height = paletted.size
    palette = paletted.getpalette()[: 256 * 3]
    colour_table = b"".join(struct.pack("<BBBB", palette[3 * i + 2], palette[3 * i + 1], palette[3 * i], 0)
                            for i in range(256))
    xor_stride = (width + 3) // 4 * 4
    and_stride = (width + 31) // 32 * 4
    pixels = paletted.tobytes()
    xor_rows = [pixels[y * width:(y + 1) * width] + b"\0" * (xor_stride - width) for y in reversed(range(height))]
    and_rows = [b"\0" * and_stride for _ in range(height)]  # every pixel opaque
    bitmap = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 8, 0, len(bitmap), 0, 0, 256, 0)
    image_data = header + colour_table + bitmap
    icon_dir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 8, len(image_data), 6 + 16)
    with open(path, "wb") as out:
        out.write(icon_dir + entry + image_data)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for end_shape in END_SHAPES:
        save_gif(end_shape_picture(end_shape), os.path.join(out_dir, end_shape + "_ends.gif"))
    application = to_palette(application_picture())
    application.save(os.path.join(out_dir, "application.png"), "PNG", optimize=True)
    save_ico(application, os.path.join(out_dir, "application.ico"))
    for size in ICON_SIZES:
        icon_picture(size).save(os.path.join(out_dir, "icon_%d.png" % size), "PNG", optimize=True)


if __name__ == "__main__":
    main()
