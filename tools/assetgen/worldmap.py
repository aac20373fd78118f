"""world.dat: the 64 by 64 landscape.

The map is decided in two steps.  First land and water are decided on the
65 by 65 grid of tile corners: a sea along the west and south with bays
and an island, a lake in the north-east whose river runs off the north
edge, and a pond in the south-west draining into the sea.  Every cell
whose corners are not all land becomes the water or coast piece for its
corner pattern, so shores and river banks always match.  Then the land
cells get their use: a village at the crossroads of two roads, fields
around it, woods further out, grass elsewhere.

The file is 64 lines of 64 characters; the character of tile number n is
chr(48 + n), '0' to 'C'.
"""

import pathlib

import canvas
import noise
import tiles

N = 64          # cells per side
V = N + 1       # corners per side

TOWN_R, TOWN_C = 30, 30


def _noise1(i, seed, cell):
    """Smooth 1-D integer noise, 0..255."""
    g, f = divmod(i, cell)
    a = noise.hash2(g, 0, seed)
    b = noise.hash2(g + 1, 0, seed)
    t = noise._smooth((2 * f + 1) * 128 // cell)
    return (a * (256 - t) + b * t) >> 8


def _noise2(r, c, seed, cell):
    return noise.value(c, r, cell, seed, period=128)


def land_corners():
    """65 x 65 booleans, True where the corner is land."""
    land = [[True] * V for _ in range(V)]
    for r in range(V):
        # The west shore lies 5 to 9 corners in, and swings out into a wide
        # bay in the south-west.
        west = 4 + _noise1(r, 3, 8) * 6 // 255 + _noise1(r, 4, 3) * 2 // 255
        if r > 34:
            west += min(14, (r - 34) * 2 // 3)
        for c in range(V):
            south = 56 + _noise1(c, 5, 8) * 5 // 255 + \
                _noise1(c, 6, 3) * 2 // 255
            if c < 30:
                south -= (30 - c) // 5
            d = min(c - west, south - r)
            wobble = _noise2(r, c, 17, 8) - 128
            land[r][c] = d * 90 + wobble > 0

    def blob(cr, cc, radius, is_land, seed):
        for r in range(max(0, cr - radius - 3), min(V, cr + radius + 4)):
            for c in range(max(0, cc - radius - 3), min(V, cc + radius + 4)):
                dr, dc = r - cr, c - cc
                wob = (_noise2(r, c, seed, 4) - 128) * radius // 3
                if (dr * dr + dc * dc) * 128 < radius * radius * 128 + \
                        wob * radius:
                    land[r][c] = is_land

    # An island in the bay, and a little one off the west coast.
    blob(50, 9, 4, True, 23)
    blob(22, 1, 2, True, 29)
    # The lake, and the pond of the south-west.
    blob(17, 47, 4, False, 31)
    blob(42, 23, 2, False, 37)
    blob(44, 50, 3, False, 41)

    def river(points):
        """Water along a four-connected path through the points."""
        r, c = points[0]
        land[r][c] = False
        for tr, tc in points[1:]:
            while (r, c) != (tr, tc):
                if r != tr and (c == tc or (r + c) % 3):
                    r += 1 if tr > r else -1
                else:
                    c += 1 if tc > c else -1
                land[r][c] = False

    # The lake drains northwards off the edge of the world.
    river([(14, 48), (11, 51), (8, 51), (5, 48), (2, 49), (0, 50)])
    # The pond drains into the western bay.
    river([(42, 21), (44, 19), (46, 18), (48, 15), (49, 13)])
    # The south-eastern lake's stream winds down to the south shore.
    river([(46, 51), (49, 53), (52, 51), (55, 54), (58, 53), (62, 55)])

    _remove_diagonals(land)
    return land


def _remove_diagonals(land):
    """Two land corners touching only diagonally have no coast piece;
    flood one of the other two corners so the water connects."""
    changed = True
    while changed:
        changed = False
        for r in range(V - 1):
            for c in range(V - 1):
                a, b = land[r][c], land[r][c + 1]
                d, e = land[r + 1][c], land[r + 1][c + 1]
                if a == e and b == d and a != b:
                    if a:
                        land[r][c] = False
                    else:
                        land[r][c + 1] = False
                    changed = True


def corner_pattern(land, r, c):
    return ((tiles.NW if land[r][c] else 0) |
            (tiles.NE if land[r][c + 1] else 0) |
            (tiles.SW if land[r + 1][c] else 0) |
            (tiles.SE if land[r + 1][c + 1] else 0))


def build_map():
    """64 rows of 64 tile numbers."""
    land = land_corners()
    cells = [[tiles.tile_for_corners(corner_pattern(land, r, c))
              for c in range(N)] for r in range(N)]
    dry = [[cells[r][c] == tiles.GRASS for c in range(N)] for r in range(N)]
    used = [[False] * N for _ in range(N)]

    def put(r, c, t):
        if 0 <= r < N and 0 <= c < N and dry[r][c] and not used[r][c]:
            cells[r][c] = t
            used[r][c] = True
            return True
        return False

    # The village: the crossroads and the blocks of houses around it.
    put(TOWN_R, TOWN_C, tiles.VILLAGE)
    # Blocks of houses fill the four corners by the crossroads and thin
    # out along the roads, so the edge of the village is ragged.
    for dr in range(-3, 4):
        for dc in range(-3, 4):
            if dr == 0 or dc == 0:
                continue
            near, far = sorted((abs(dr), abs(dc)))
            if near > 1:
                continue
            keep = {1: 256, 2: 150, 3: 90}[far]
            if noise.hash2(dr + 9, dc + 9, 43) < keep:
                put(TOWN_R + dr, TOWN_C + dc, tiles.HOUSES)

    # Roads leave the crossroads in the four directions and run until the
    # land ends (a beach, a river bank or the edge of the world).
    for dr, dc, t in ((0, 1, tiles.ROAD_WE), (0, -1, tiles.ROAD_WE),
                      (1, 0, tiles.ROAD_NS), (-1, 0, tiles.ROAD_NS)):
        r, c = TOWN_R + dr, TOWN_C + dc
        while 0 <= r < N and 0 <= c < N and dry[r][c]:
            cells[r][c] = t
            used[r][c] = True
            r += dr
            c += dc

    rng = canvas.Rng(2026)

    def plot(r0, c0, h, w, t):
        for r in range(r0, r0 + h):
            for c in range(c0, c0 + w):
                put(r, c, t)

    # Fields around the village: plots of two to four cells a side with
    # grass lanes left between them where they happen not to touch.
    for _ in range(34):
        r0 = TOWN_R + rng.between(-11, 9)
        c0 = TOWN_C + rng.between(-11, 9)
        plot(r0, c0, rng.between(2, 3), rng.between(2, 4), tiles.WHEAT)

    # Farmsteads out in the country, each a block of houses beside a
    # field, some of them on the roads.
    farms = [(12, 14), (20, 40), (44, 40), (50, 25), (8, 24), (40, 57),
             (TOWN_R - 1, 46), (TOWN_R + 1, 17), (45, TOWN_C + 1),
             (14, TOWN_C - 1), (56, 44), (22, 58)]
    for r, c in farms:
        if put(r, c, tiles.HOUSES):
            dr = 1 if noise.hash2(r, c, 71) & 1 else -2
            dc = 1 if noise.hash2(r, c, 73) & 1 else -2
            plot(r + dr, c + dc, 2, 2, tiles.WHEAT)

    # Woods where a slow noise field is high, away from the village.
    for r in range(N):
        for c in range(N):
            if used[r][c] or not dry[r][c]:
                continue
            dist = max(abs(r - TOWN_R), abs(c - TOWN_C))
            n = (_noise2(r, c, 61, 8) * 2 + _noise2(r, c, 67, 4)) // 3
            if dist > 6 and n > 164:
                put(r, c, tiles.FOREST)
    return cells


def map_text(cells):
    lines = ["".join(chr(48 + t) for t in row) for row in cells]
    return "\n".join(lines) + "\n"


def parse_map(text):
    """Tile numbers from world.dat text the way the game reads it:
    line feeds skipped, a space is tile 0, anything else its code - 48."""
    chars = [ch for ch in text if ch != "\n"]
    if len(chars) < N * N:
        raise ValueError("world.dat holds %d cells, not %d" %
                         (len(chars), N * N))
    out = []
    for r in range(N):
        row = []
        for c in range(N):
            ch = chars[r * N + c]
            row.append(0 if ch == " " else ord(ch) - 48)
        out.append(row)
    return out


def generate(out_dir):
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    path = out_dir / "world.dat"
    with open(path, "w", newline="\n") as f:
        f.write(map_text(build_map()))
    return [path]
