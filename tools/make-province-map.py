#!/usr/bin/python3
"""Writes the province map of the login dialog: one SVG of 400 x 328 pixels with one
path per provincial unit of China, whose id is the province code ("11" for 北京).

The borders come from the Digital Chart of the World as GMT's gmt-dcw package ships it
(units CN.BJ ... CN.TW, CN.HK, CN.MO), dumped with `gmt coast -E<unit> -M`. The script
installs gmt and gmt-dcw with apt-get when they are missing; they are needed only here.

The map is bent to the dialog's label positions: each unit's most interior point is
carried onto the centre of its label by a thin-plate spline over the 34 pairs (the
spline's affine part is the plain fit of the map to the labels), so every label lies
inside its own unit and neighbours stay neighbours. Units too small to hold a label at
this scale (Hong Kong, Macao ...) are enlarged around their label's centre to a
minimum size. The outlines are then simplified (Douglas-Peucker) and written with
one decimal.

Usage: tools/make-province-map.py [OUTPUT]   (default src/gui/login/pictures/provinces.svg)
"""

import math
import os
import shutil
import subprocess
import sys
import tempfile

WIDTH, HEIGHT = 400, 328

# code, DCW unit, label text, label left, label top (the dialog's labels)
LABELS = [
    ("65", "XJ", "新   疆", 64, 108), ("54", "XZ", "西   藏", 76, 196),
    ("63", "QH", "青  海", 136, 160), ("51", "SC", "四川", 184, 208),
    ("53", "YN", "云南", 176, 256), ("52", "GZ", "贵州", 216, 238),
    ("45", "GX", "广西", 228, 266), ("44", "GD", "广东", 272, 262),
    ("43", "HN", "湖南", 254, 230), ("42", "HB", "湖北", 256, 200),
    ("41", "HA", "河南", 264, 176), ("46", "HI", "海南", 228, 304),
    ("71", "TW", "台湾", 332, 256), ("15", "NM", "内蒙古", 268, 90),
    ("23", "HL", "黑龙江", 336, 48), ("22", "JL", "吉林", 336, 80),
    ("21", "LN", "辽宁", 316, 104), ("50", "CQ", "重庆", 220, 212),
    ("62", "GS", "甘肃", 196, 168), ("61", "SN", "陕西", 228, 176),
    ("64", "NX", "宁夏", 212, 140), ("14", "SX", "山西", 252, 152),
    ("11", "BJ", "北京", 260, 114), ("12", "TJ", "天津", 300, 124),
    ("13", "HE", "河北", 272, 136), ("37", "SD", "山东", 296, 152),
    ("34", "AH", "安徽", 296, 192), ("36", "JX", "江西", 288, 224),
    ("35", "FJ", "福建", 308, 240), ("32", "JS", "江苏", 312, 172),
    ("33", "ZJ", "浙江", 320, 212), ("31", "SH", "上海", 336, 192),
    ("73", "MO", "澳门", 256, 280), ("72", "HK", "香港", 288, 277),
]

# The label boxes as the dialog lays them out at 96 dpi: bold 14-pixel text, a Chinese
# character 14 pixels wide, a space about 4, the line 19 pixels high. Their centres are
# what the map is fitted to.
def label_centre(text, left, top):
    width = sum(4 if ch == " " else 14 for ch in text)
    return (left + width / 2.0, top + 9.5)

MIN_RADIUS = 7.0      # pixels: the smallest unit still holds most of a label's centre
SIMPLIFY = 0.35       # pixels: Douglas-Peucker tolerance
MIN_ISLAND = 0.8      # square pixels: smaller islands are dropped
PRE_SIMPLIFY = 0.0001  # projected units (the map is about 0.9 units wide) before bending
PRE_MIN_ISLAND = 4e-7  # projected square units


def ensure_gmt():
    if shutil.which("gmt") and os.path.isdir("/usr/share/gmt-dcw"):
        return
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    subprocess.check_call(sudo + ["apt-get", "install", "-y", "--no-install-recommends", "gmt", "gmt-dcw"])


def read_unit(unit):
    """The polygons of a unit as lists of (lon, lat)."""
    # gmt leaves its history file in the working folder: let it be a scratch one.
    with tempfile.TemporaryDirectory() as scratch:
        out = subprocess.run(["gmt", "coast", "-ECN." + unit, "-M"], check=True, capture_output=True, text=True,
                             cwd=scratch).stdout
    polys, cur = [], []
    for line in out.splitlines():
        if line.startswith(">"):
            if len(cur) > 2:
                polys.append(cur)
            cur = []
            continue
        parts = line.split()
        if len(parts) >= 2:
            cur.append((float(parts[0]), float(parts[1])))
    if len(cur) > 2:
        polys.append(cur)
    return polys


def project(lon, lat):
    """Lambert conformal conic with standard parallels 25 and 47 degrees north, centred
    on 105 degrees east; y grows downwards like the dialog's."""
    p1, p2, p0, l0 = map(math.radians, (25.0, 47.0, 35.0, 105.0))
    n = math.log(math.cos(p1) / math.cos(p2)) / math.log(math.tan(math.pi / 4 + p2 / 2) / math.tan(math.pi / 4 + p1 / 2))
    f = math.cos(p1) * math.tan(math.pi / 4 + p1 / 2) ** n / n
    rho0 = f / math.tan(math.pi / 4 + p0 / 2) ** n
    phi, lam = math.radians(lat), math.radians(lon)
    rho = f / math.tan(math.pi / 4 + phi / 2) ** n
    theta = n * (lam - l0)
    return (rho * math.sin(theta), -(rho0 - rho * math.cos(theta)))


def area(poly):
    s = 0.0
    for i in range(len(poly)):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % len(poly)]
        s += x1 * y2 - x2 * y1
    return s / 2.0


def inside(pt, poly):
    x, y = pt
    c = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            c = not c
        j = i
    return c


def seg_dist(p, a, b):
    (px, py), (ax, ay), (bx, by) = p, a, b
    dx, dy = bx - ax, by - ay
    t = 0.0 if dx == dy == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def interior_point(poly):
    """The point of the polygon farthest from its border (grid search, refined)."""
    xs = [p[0] for p in poly]
    ys = [p[1] for p in poly]
    x0, x1, y0, y1 = min(xs), max(xs), min(ys), max(ys)
    step = max(x1 - x0, y1 - y0) / 40.0
    edges = [(poly[i], poly[(i + 1) % len(poly)]) for i in range(len(poly))]
    best, best_d = None, -1.0
    for _ in range(3):
        y = y0
        while y <= y1:
            x = x0
            while x <= x1:
                if inside((x, y), poly):
                    d = min(seg_dist((x, y), a, b) for a, b in edges)
                    if d > best_d:
                        best, best_d = (x, y), d
                x += step
            y += step
        x0, x1, y0, y1 = best[0] - 2 * step, best[0] + 2 * step, best[1] - 2 * step, best[1] + 2 * step
        step /= 5.0
    return best


def solve(a, b):
    """Gaussian elimination with partial pivoting."""
    n = len(a)
    m = [row[:] + [b[i]] for i, row in enumerate(a)]
    for c in range(n):
        p = max(range(c, n), key=lambda r: abs(m[r][c]))
        m[c], m[p] = m[p], m[c]
        for r in range(c + 1, n):
            f = m[r][c] / m[c][c]
            for k in range(c, n + 1):
                m[r][k] -= f * m[c][k]
    x = [0.0] * n
    for r in range(n - 1, -1, -1):
        x[r] = (m[r][n] - sum(m[r][k] * x[k] for k in range(r + 1, n))) / m[r][r]
    return x


def tps_kernel(r2):
    return 0.0 if r2 == 0 else r2 * math.log(r2) / 2.0


class ThinPlateSpline:
    def __init__(self, src, dst):
        n = len(src)
        size = n + 3
        a = [[0.0] * size for _ in range(size)]
        for i in range(n):
            for j in range(n):
                a[i][j] = tps_kernel((src[i][0] - src[j][0]) ** 2 + (src[i][1] - src[j][1]) ** 2)
            a[i][n], a[i][n + 1], a[i][n + 2] = 1.0, src[i][0], src[i][1]
            a[n][i], a[n + 1][i], a[n + 2][i] = 1.0, src[i][0], src[i][1]
        self.src = src
        self.wx = solve(a, [p[0] for p in dst] + [0.0] * 3)
        self.wy = solve(a, [p[1] for p in dst] + [0.0] * 3)

    def __call__(self, p):
        n = len(self.src)
        x, y = p
        u = [tps_kernel((x - s[0]) ** 2 + (y - s[1]) ** 2) for s in self.src]
        fx = self.wx[n] + self.wx[n + 1] * x + self.wx[n + 2] * y + sum(w * k for w, k in zip(self.wx, u))
        fy = self.wy[n] + self.wy[n + 1] * x + self.wy[n + 2] * y + sum(w * k for w, k in zip(self.wy, u))
        return (fx, fy)


def simplify(points, tol):
    if len(points) < 3:
        return points
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    while stack:
        s, e = stack.pop()
        best, idx = 0.0, -1
        for i in range(s + 1, e):
            d = seg_dist(points[i], points[s], points[e])
            if d > best:
                best, idx = d, i
        if best > tol:
            keep[idx] = True
            stack += [(s, idx), (idx, e)]
    return [p for p, k in zip(points, keep) if k]


def simplify_ring(ring, tol):
    # Split the closed ring at its farthest point so both halves keep their ends.
    far = max(range(len(ring)), key=lambda i: (ring[i][0] - ring[0][0]) ** 2 + (ring[i][1] - ring[0][1]) ** 2)
    a = simplify(ring[: far + 1], tol)
    b = simplify(ring[far:] + [ring[0]], tol)
    return a[:-1] + b[:-1]


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "gui", "login", "pictures", "provinces.svg")
    ensure_gmt()
    units = {}
    for code, unit, text, left, top in LABELS:
        polys = [[project(lon, lat) for lon, lat in poly] for poly in read_unit(unit)]
        # The data is far finer than the map: thin it out before the slow steps.
        biggest = max(abs(area(p)) for p in polys)
        polys = [simplify_ring(p, PRE_SIMPLIFY) for p in polys if abs(area(p)) == biggest or abs(area(p)) > PRE_MIN_ISLAND]
        units[code] = [p for p in polys if len(p) >= 3]
    src, dst = [], []
    anchors = {}
    for code, unit, text, left, top in LABELS:
        main_poly = max(units[code], key=lambda p: abs(area(p)))
        src.append(interior_point(main_poly))
        anchors[code] = label_centre(text, left, top)
        dst.append(anchors[code])
    warp = ThinPlateSpline(src, dst)

    shapes = []
    for code, unit, text, left, top in LABELS:
        anchor = anchors[code]
        rings = [[warp(p) for p in poly] for poly in units[code]]
        main_ring = max(rings, key=lambda r: abs(area(r)))
        radius = math.sqrt(abs(area(main_ring)) / math.pi)
        if radius < MIN_RADIUS:
            k = MIN_RADIUS / max(radius, 1e-6)
            rings = [[(anchor[0] + (x - anchor[0]) * k, anchor[1] + (y - anchor[1]) * k) for x, y in r] for r in rings]
            main_ring = max(rings, key=lambda r: abs(area(r)))
        kept = []
        for ring in rings:
            thin = simplify_ring(ring, SIMPLIFY)
            if len(thin) >= 3 and (abs(area(thin)) >= MIN_ISLAND or ring is main_ring):
                kept.append(thin)
        kept = [[(round(x, 1), round(y, 1)) for x, y in ring] for ring in kept]
        shapes.append((code, unit, kept, sum(abs(area(r)) for r in kept)))

    # Units enclosed by others (北京 and 天津 in 河北) are drawn after them, and a point
    # belongs to the smallest unit that holds it: the dialog picks units the same way.
    shapes.sort(key=lambda s: -s[3])
    def unit_at(pt):
        holders = [s for s in shapes if any(inside(pt, r) for r in s[2])]
        return min(holders, key=lambda s: s[3])[0] if holders else None
    for code, unit, text, left, top in LABELS:
        if unit_at(anchors[code]) != code:
            sys.exit("make-province-map: the label of %s (%s) is not inside its unit" % (code, unit))
    paths = []
    for code, unit, kept, _ in shapes:
        d = " ".join("M" + " L".join("%.1f %.1f" % p for p in ring) + " Z" for ring in kept)
        paths.append('  <path id="%s" d="%s"/>' % (code, d))

    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    with open(output, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n')
        f.write("<!-- Provinces of China bent to the login dialog's labels; made by tools/make-province-map.py\n"
                "     from the Digital Chart of the World as shipped by GMT (gmt-dcw), LGPL-3+. -->\n")
        f.write('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
                % (WIDTH, HEIGHT, WIDTH, HEIGHT))
        f.write('<g fill="#e8efd8" stroke="#7a8a6a" stroke-width="0.6" stroke-linejoin="round">\n')
        f.write("\n".join(paths) + "\n</g>\n</svg>\n")
    print("make-province-map: wrote %s (%d units, %d bytes)" % (output, len(paths), os.path.getsize(output)))


if __name__ == "__main__":
    main()
