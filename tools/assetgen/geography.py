"""The landscape of world.dat: a county with a geography.

Every level is flown over the same 64 by 64 cells, so each part of the
world has its own character:

  north-west   the coast where every level starts, and inland two
               villages with hedged farmland and woods between them
  north-east   the lake district: three lakes among wooded hills, and a
               river draining north off the map
  west         pasture behind the coast, with a village and copses
  centre       wooded commons round a mere, then the market town at the
               crossroads of the county's roads, ringed by its fields
  east         open grazing with farmsteads, a village on the east road
  south-west   a wide bay with an archipelago of wooded islands
  south-east   the great forest, cut by a river from its lake to the sea
  south        a farming village above the south shore

Land and water are decided on the 65 by 65 tile corners, so shores and
river banks are always drawn by matching coast pieces.  Roads run straight
between villages (each village sits on a crossroads tile, its houses line
the roads out of it) and never start or end at a beach.  A houses tile is
a street running west to east: where streets meet a north-south road the
road cell is a crossroads too, so they cross it instead of stopping at its
grass.  Farms are hedged
fields with pastures and copses among them.  Woods grow where a hill field
is high and are smoothed into rounded blobs, not scattered squares, then
given a ragged edge, so their outline is not a regular staircase.
"""

import canvas
import noise
import tiles

N = 64
V = N + 1

# The villages, each on a crossroads: (row, column, size of the built-up
# area in cells).
VILLAGES = [(8, 13, 1), (8, 34, 2), (30, 13, 1), (30, 34, 3), (30, 54, 1),
            (48, 34, 2)]
# Roads between villages: (row, column) of both ends, along a row or a
# column.
ROADS = [((8, 13), (8, 34)), ((8, 34), (30, 34)), ((8, 13), (30, 13)),
         ((30, 13), (30, 34)), ((30, 34), (30, 54)), ((30, 34), (48, 34)),
         ((30, 54), (30, 64))]


def _n2(r, c, seed, cell):
    return noise.value(c, r, cell, seed, period=128)


def land_corners():
    """65 x 65 booleans, True where the corner is land."""
    land = [[True] * V for _ in range(V)]
    for r in range(V):
        for c in range(V):
            # The west coast: a few corners in at the north, swinging
            # out into the bay in the south-west.
            west = 3 + _n2(r, 0, 3, 8) * 5 // 255
            if r > 36:
                west += min(24, (r - 36) * 6 // 5)
            # The south coast, higher in the west where the bay is.
            south = 58 + _n2(0, c, 5, 8) * 4 // 255
            d = min(c - west, south - r)
            wobble = _n2(r, c, 17, 8) - 128
            land[r][c] = d * 90 + wobble > 0

    def blob(cr, cc, radius, is_land, seed):
        for r in range(max(0, cr - radius - 3), min(V, cr + radius + 4)):
            for c in range(max(0, cc - radius - 3), min(V, cc + radius + 4)):
                dr, dc = r - cr, c - cc
                wob = (_n2(r, c, seed, 4) - 128) * radius // 3
                if (dr * dr + dc * dc) * 128 < radius * radius * 128 + \
                        wob * radius:
                    land[r][c] = is_land

    # The archipelago in the bay.
    for i, (r, c, rad) in enumerate(((47, 6, 3), (53, 15, 3), (59, 6, 3),
                                     (60, 22, 2), (42, 2, 1), (55, 1, 1))):
        blob(r, c, rad, True, 23 + i)
    # The harbour bay just south of where every level starts.
    blob(10, 7, 3, False, 29)
    # The lake district, the forest's lake and the pond in the west.
    blob(12, 47, 4, False, 31)
    blob(20, 57, 3, False, 33)
    blob(22, 43, 2, False, 35)
    blob(42, 47, 3, False, 41)
    blob(40, 22, 2, False, 37)
    blob(20, 24, 2, False, 39)        # the mere on the commons

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

    # The lakes are joined, and drain north off the edge of the world.
    river([(20, 55), (17, 52), (14, 50)])
    river([(21, 44), (17, 45), (14, 46)])
    river([(9, 48), (6, 51), (3, 50), (0, 52)])
    # The forest's river winds from its lake to the south shore.
    river([(44, 48), (48, 51), (51, 49), (54, 52), (58, 51), (62, 52)])
    # The pond drains into the bay.
    river([(41, 20), (43, 17), (44, 14)])

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


def _woodland(r, c):
    """How strongly the county grows trees at a cell, 0..255: the hills
    of the lake district and the great forest, copses elsewhere."""
    hill = (_n2(r, c, 61, 8) * 2 + _n2(r, c, 67, 4)) // 3
    if r < 28 and c > 38:
        return hill + 50          # wooded hills round the lakes
    if r > 36 and c > 38:
        return hill + 80          # the great forest
    if r > 38 and c < 28:
        return hill + 20          # the islands' woods
    if 12 <= r <= 26 and 16 <= c <= 30:
        return hill + 40          # the wooded commons inside the roads
    if c < 36:
        return hill - 4           # copses in the pasture
    return hill - 20


def build_map():
    """64 rows of 64 tile numbers."""
    land = land_corners()
    cells = [[tiles.tile_for_corners(corner_pattern(land, r, c))
              for c in range(N)] for r in range(N)]
    dry = [[cells[r][c] == tiles.GRASS for c in range(N)] for r in range(N)]
    used = [[False] * N for _ in range(N)]

    def free(r, c):
        return 0 <= r < N and 0 <= c < N and dry[r][c] and not used[r][c]

    def put(r, c, t):
        if free(r, c):
            cells[r][c] = t
            used[r][c] = True
            return True
        return False

    for vr, vc, _ in VILLAGES:
        put(vr, vc, tiles.VILLAGE)
    for (r0, c0), (r1, c1) in ROADS:
        dr = (r1 > r0) - (r1 < r0)
        dc = (c1 > c0) - (c1 < c0)
        t = tiles.ROAD_NS if dr else tiles.ROAD_WE
        r, c = r0 + dr, c0 + dc
        while (r, c) != (r1, c1) and put(r, c, t):
            r, c = r + dr, c + dc

    # Houses line the roads out of each village on both sides, further
    # for a bigger one, the last few thinning out so the village's ends
    # are ragged; a bigger village has a second row behind the first
    # near its middle.
    for vr, vc, size in VILLAGES:
        for dr, dc in ((0, 1), (0, -1), (1, 0), (-1, 0)):
            for k in range(1, size + 3):
                keep = 256 if k <= size else 190 if k == size + 1 else 90
                for side in (1, -1, 2, -2):
                    if abs(side) == 2 and k >= size:
                        continue
                    r = vr + dr * k + dc * side
                    c = vc + dc * k + dr * side
                    if noise.hash2(r, c, 43) < keep:
                        put(r, c, tiles.HOUSES)
        for dr in (-1, 1):
            for dc in (-1, 1):
                put(vr + dr, vc + dc, tiles.HOUSES)
        # A crossroads arm with no road to another village becomes a lane
        # to a farm, or, running north or south, to a field gate: a houses
        # tile's street runs west to east, and met end on from the north or
        # south the lane would run into a garden.
        for dr, dc in ((0, 1), (0, -1), (1, 0), (-1, 0)):
            if free(vr + dr, vc + dc) and free(vr + 2 * dr, vc + 2 * dc):
                put(vr + dr, vc + dc,
                    tiles.ROAD_NS if dr else tiles.ROAD_WE)
                put(vr + 2 * dr, vc + 2 * dc,
                    tiles.WHEAT if dr else tiles.HOUSES)

    # A street of houses meets a north-south road side on, where the
    # road tile has only grass: there the road cell becomes a crossing,
    # whose arms carry the lanes on either side across to it.  A house
    # is added on the far side when there is room, so no arm runs out
    # into the grass.
    for r in range(N):
        for c in range(1, N - 1):
            if cells[r][c] != tiles.ROAD_NS:
                continue
            west, east = cells[r][c - 1], cells[r][c + 1]
            if tiles.HOUSES not in (west, east):
                continue
            put(r, c - 1, tiles.HOUSES)
            put(r, c + 1, tiles.HOUSES)
            if cells[r][c - 1] == cells[r][c + 1] == tiles.HOUSES:
                cells[r][c] = tiles.VILLAGE

    # Farmland round every village: hedged plots of two to four cells a
    # side, scattered so lanes of grass are left where they miss.
    rng = canvas.Rng(2026)
    for vr, vc, size in VILLAGES:
        reach = 4 + 2 * size
        for _ in range(6 + 5 * size):
            r0 = vr + rng.between(-reach, reach - 1)
            c0 = vc + rng.between(-reach, reach - 1)
            h, w = rng.between(2, 3), rng.between(2, 4)
            for r in range(r0, r0 + h):
                for c in range(c0, c0 + w):
                    put(r, c, tiles.WHEAT)

    # Where fields close in a cell on every side, some of them are
    # pasture and a few a copse, so a big farm is a patchwork and not one
    # field repeated: the hedges of the fields around close them in.
    fields = [[cells[r][c] == tiles.WHEAT for c in range(N)]
              for r in range(N)]
    for r in range(1, N - 1):
        for c in range(1, N - 1):
            if not (fields[r][c] and fields[r - 1][c] and fields[r + 1][c]
                    and fields[r][c - 1] and fields[r][c + 1]):
                continue
            h = noise.hash2(r, c, 53)
            if h < 90:
                cells[r][c] = tiles.GRASS
            elif h < 120:
                cells[r][c] = tiles.FOREST

    # Farmsteads out in the country, each with a field or two.
    for r, c in ((18, 24), (22, 6), (40, 58), (36, 46), (24, 62),
                 (38, 26), (55, 42), (17, 40), (4, 24), (49, 22)):
        if put(r, c, tiles.HOUSES):
            put(r, c + 1, tiles.WHEAT)
            put(r + 1, c, tiles.WHEAT)

    # Woods: where the county grows trees, smoothed into rounded blobs.
    wood = [[free(r, c) and _woodland(r, c) > 168 for c in range(N)]
            for r in range(N)]
    for _ in range(2):
        nxt = [row[:] for row in wood]
        for r in range(N):
            for c in range(N):
                if not free(r, c):
                    continue
                around = sum(wood[rr][cc]
                             for rr in range(max(0, r - 1), min(N, r + 2))
                             for cc in range(max(0, c - 1), min(N, c + 2))
                             if (rr, cc) != (r, c))
                if wood[r][c] and around <= 2:
                    nxt[r][c] = False
                elif not wood[r][c] and around >= 5:
                    nxt[r][c] = True
        wood = nxt
    # A smoothed blob's outline is a regular staircase, which reads as
    # squares; a wood's real edge is ragged, with trees standing out from
    # it and bays of grass cut into it, and copses a field away.
    fringe = [row[:] for row in wood]
    for r in range(N):
        for c in range(N):
            if not free(r, c):
                continue
            near = [wood[rr][cc] for rr, cc in ((r - 1, c), (r + 1, c),
                                                (r, c - 1), (r, c + 1))
                    if 0 <= rr < N and 0 <= cc < N]
            far = any(wood[rr][cc]
                      for rr in range(max(0, r - 2), min(N, r + 3))
                      for cc in range(max(0, c - 2), min(N, c + 3)))
            h = noise.hash2(r, c, 47)
            if wood[r][c] and near.count(False) == 1 and h < 20:
                fringe[r][c] = False
            elif not wood[r][c] and near.count(True) == 1 and h < 48:
                fringe[r][c] = True
            elif not wood[r][c] and not any(near) and far and h < 13:
                fringe[r][c] = True
    for r in range(N):
        for c in range(N):
            if fringe[r][c]:
                put(r, c, tiles.FOREST)
    return cells

