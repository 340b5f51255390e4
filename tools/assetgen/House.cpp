#include "Layout.h"
#include "Noise.h"
#include "Scene.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

// The cottage: half-timbered plaster walls with lit windows, a tiled gable roof and a brick chimney,
// one OBJ object already standing at its place in the world. All its faces share one texture atlas;
// each face is painted in its own rectangle of the atlas, in the face's own units, through the same
// mapping that gives the mesh its texture coordinates.
namespace {

constexpr uint32_t Seed = 3301;
constexpr double Width = 1.8;    // along x, the front wall
constexpr double Depth = 1.3;    // along z, the side walls
constexpr double WallTop = 1.0;  // eaves height above the ground
constexpr double Ridge = 1.65;   // ridge height
constexpr double Footing = -0.2; // walls reach this far into the ground

// Atlas rectangles: the texture point of a face's (0, 0) and texture units per face unit.
const UvRect FrontWall{{0.0, 0.66}, {0.5 / Width, 0.5 / Width}};
const UvRect BackWall{{0.5, 0.66}, {0.5 / Width, 0.5 / Width}};
const UvRect SideWall{{0.0, 0.28}, {0.2, 0.2}};
const UvRect RoofTiles{{0.28, 0.28}, {0.33, 0.33}};
const UvRect Bricks{{0.0, 0.0}, {0.25, 0.25}};
const UvRect Beams{{0.25, 0.0}, {0.25, 0.25}};
const UvRect Stones{{0.5, 0.0}, {0.25, 0.25}};

const glm::dvec3 Plaster(0.87, 0.83, 0.72), Timber(0.3, 0.19, 0.11), WindowGlow(1.0, 0.82, 0.45);
const glm::dvec3 DoorWood(0.45, 0.27, 0.14), Tile(0.64, 0.26, 0.15), Brick(0.58, 0.24, 0.16);

double fine(double s, double t, uint32_t seed) {
    return noise::fbm2(s * 12.0, t * 12.0, seed, 3);
}

bool inside(double s, double t, double s0, double t0, double s1, double t1) {
    return s >= s0 && s <= s1 && t >= t0 && t <= t1;
}

// A window: a lamp-lit pane divided by a cross, in a timber frame, with a stone sill below.
bool paintWindow(double s, double t, double s0, double t0, double w, double h, glm::dvec3& colour) {
    const double frame = 0.035;
    if (!inside(s, t, s0 - frame, t0 - frame * 1.6, s0 + w + frame, t0 + h + frame))
        return false;
    if (t < t0 - frame * 0.4) {
        colour = glm::dvec3(0.6, 0.58, 0.55);
        return true;
    }
    if (!inside(s, t, s0, t0, s0 + w, t0 + h) || std::abs(s - (s0 + w / 2)) < 0.012 ||
        std::abs(t - (t0 + h * 0.55)) < 0.012) {
        colour = Timber;
        return true;
    }
    // Brighter towards the middle of the pane, as if the lamp hung inside.
    const double d = glm::length(glm::dvec2((s - s0 - w / 2) / w, (t - t0 - h / 2) / h));
    colour = WindowGlow * (1.0 - 0.35 * d);
    return true;
}

glm::dvec3 plasterAt(double s, double t) {
    glm::dvec3 c = Plaster * (0.94 + 0.06 * fine(s, t, Seed));
    // The footing is rough stone up to just above the ground.
    if (t < 0.35) {
        const noise::Cells stone = noise::cells2(s * 7.0, t * 9.0, Seed + 1);
        c = glm::dvec3(0.5, 0.48, 0.45) * (0.8 + 0.35 * stone.id);
        if (stone.second - stone.nearest < 0.08)
            c = glm::dvec3(0.3, 0.29, 0.27);
    }
    return c;
}

bool timberFrame(double s, double t, double length, double top) {
    const double beam = 0.05;
    return s < beam || s > length - beam || std::abs(t - 0.37) < beam / 2 ||
           std::abs(t - top + beam / 2) < beam / 2;
}

// Front wall: door in the middle, a window either side. s along the wall, t up from the footing.
glm::dvec3 paintFront(double s, double t) {
    glm::dvec3 c = plasterAt(s, t);
    if (timberFrame(s, t, Width, WallTop - Footing))
        c = Timber;
    const double doorLeft = Width / 2 - 0.2, doorBottom = 0.35;
    if (inside(s, t, doorLeft - 0.04, doorBottom, doorLeft + 0.44, doorBottom + 0.78)) {
        c = Timber;
        if (inside(s, t, doorLeft, doorBottom, doorLeft + 0.4, doorBottom + 0.72)) {
            const double plank = std::fmod(s - doorLeft, 0.1);
            c = DoorWood * (plank < 0.008 ? 0.6 : 0.9 + 0.1 * fine(s * 3.0, t * 0.3, Seed + 2));
            if (glm::length(glm::dvec2(s - doorLeft - 0.33, t - doorBottom - 0.36)) < 0.025)
                c = glm::dvec3(0.8, 0.7, 0.3);
        }
    }
    paintWindow(s, t, 0.22, 0.62, 0.34, 0.32, c);
    paintWindow(s, t, Width - 0.56, 0.62, 0.34, 0.32, c);
    return c;
}

glm::dvec3 paintBack(double s, double t) {
    glm::dvec3 c = plasterAt(s, t);
    if (timberFrame(s, t, Width, WallTop - Footing) || std::abs(s - Width / 2) < 0.025)
        c = Timber;
    paintWindow(s, t, 0.3, 0.62, 0.34, 0.32, c);
    paintWindow(s, t, Width - 0.64, 0.62, 0.34, 0.32, c);
    return c;
}

// Side wall and gable: plaster below the eaves, upright boards in the gable with a round window.
glm::dvec3 paintSide(double s, double t) {
    const double eaves = WallTop - Footing;
    if (t > eaves) {
        const double board = std::fmod(s, 0.11);
        glm::dvec3 c =
            glm::dvec3(0.5, 0.34, 0.2) * (board < 0.01 ? 0.55 : 0.9 + 0.1 * fine(s, t * 0.2, Seed + 3));
        const double r = glm::length(glm::dvec2(s - Depth / 2, t - eaves - 0.26));
        if (r < 0.12)
            c = r < 0.09 ? WindowGlow * (1.0 - 2.0 * r) : Timber;
        return c;
    }
    glm::dvec3 c = plasterAt(s, t);
    if (timberFrame(s, t, Depth, eaves))
        c = Timber;
    paintWindow(s, t, Depth / 2 - 0.17, 0.62, 0.34, 0.32, c);
    return c;
}

// Clay tiles in staggered rows; each row darkens towards its lower edge, where it overlaps the next.
glm::dvec3 paintRoof(double s, double t) {
    const double rowHeight = 0.12, tileWidth = 0.15;
    const double row = std::floor(t / rowHeight);
    const double within = t / rowHeight - row;
    const double shifted = s / tileWidth + 0.5 * std::fmod(row, 2.0);
    const double tile = std::floor(shifted);
    const double across = shifted - tile;
    const double shade =
        0.85 + 0.25 * noise::hashUnit(static_cast<int32_t>(row), static_cast<int32_t>(tile), 0, Seed);
    glm::dvec3 c = Tile * shade * (0.7 + 0.3 * within);
    if (across < 0.06 || within < 0.08)
        c *= 0.55;
    return c * (0.95 + 0.05 * fine(s, t, Seed + 4));
}

glm::dvec3 paintBricks(double s, double t) {
    const double course = std::floor(t / 0.06);
    const double shifted = s / 0.12 + 0.5 * std::fmod(course, 2.0);
    if (t / 0.06 - course < 0.15 || shifted - std::floor(shifted) < 0.08)
        return glm::dvec3(0.62, 0.6, 0.55);
    return Brick * (0.85 + 0.3 * noise::hashUnit(static_cast<int32_t>(course),
                                                 static_cast<int32_t>(std::floor(shifted)), 1, Seed));
}

glm::dvec3 paintBeams(double s, double t) {
    return Timber * (0.9 + 0.2 * noise::fbm2(s * 2.0, t * 30.0, Seed + 5, 3));
}

glm::dvec3 paintStones(double s, double t) {
    const noise::Cells stone = noise::cells2(s * 6.0, t * 6.0, Seed + 6);
    return stone.second - stone.nearest < 0.07 ? glm::dvec3(0.32, 0.3, 0.28)
                                               : glm::dvec3(0.58, 0.56, 0.52) * (0.85 + 0.25 * stone.id);
}

struct AtlasRegion {
    UvRect rect;
    glm::dvec2 size; // extent in face units
    glm::dvec3 (*paint)(double, double);
};

Image paintAtlas(int size) {
    const AtlasRegion regions[] = {{FrontWall, {Width, WallTop - Footing}, paintFront},
                                   {BackWall, {Width, WallTop - Footing}, paintBack},
                                   {SideWall, {Depth, Ridge - Footing}, paintSide},
                                   {RoofTiles, {2.15, 1.1}, paintRoof},
                                   {Bricks, {1.0, 1.0}, paintBricks},
                                   {Beams, {1.0, 1.0}, paintBeams},
                                   {Stones, {1.0, 1.0}, paintStones}};
    Image image(size, size);
    image.fill(
        [&](double u, double v) {
            for (const AtlasRegion& r : regions) {
                const double s = (u - r.rect.low.x) / r.rect.scale.x, t = (v - r.rect.low.y) / r.rect.scale.y;
                // A margin of a few texels beyond each face keeps mipmaps from bleeding neighbours in.
                const double margin = 0.02;
                if (s >= -margin && t >= -margin && s <= r.size.x + margin && t <= r.size.y + margin)
                    return glm::dvec4(r.paint(glm::clamp(s, 0.0, r.size.x), glm::clamp(t, 0.0, r.size.y)),
                                      1.0);
            }
            return glm::dvec4(0.3, 0.2, 0.12, 1.0);
        },
        2);
    return image;
}

// A flat polygon (a convex outline in order) with texture coordinates from rect over (s, t) = the
// outline's own coordinates along `across` and up.
void addWall(TriMesh& mesh, const std::vector<glm::dvec2>& outline, const glm::dvec3& origin,
             const glm::dvec3& across, const glm::dvec3& outward, const UvRect& rect) {
    std::vector<uint32_t> corners;
    for (const glm::dvec2& st : outline)
        corners.push_back(mesh.addVertex(origin + across * st.x + glm::dvec3(0.0, st.y, 0.0), outward,
                                         rect.map(st.x, st.y - Footing)));
    for (size_t i = 1; i + 1 < corners.size(); ++i)
        mesh.addTriangle(corners[0], corners[i], corners[i + 1]);
}

// Box faces: the two larger extents of each face map into rect, in box units.
auto boxUv(const UvRect& rect) {
    return [rect](int, double s, double t) { return rect.map(s, t); };
}

TriMesh cottage() {
    TriMesh mesh;
    const double hw = Width / 2, hd = Depth / 2;
    const std::vector<glm::dvec2> rectangle = {
        {0.0, Footing}, {Width, Footing}, {Width, WallTop}, {0.0, WallTop}};
    addWall(mesh, rectangle, {-hw, 0.0, hd}, {1, 0, 0}, {0, 0, 1}, FrontWall);
    addWall(mesh, rectangle, {hw, 0.0, -hd}, {-1, 0, 0}, {0, 0, -1}, BackWall);
    const std::vector<glm::dvec2> gable = {
        {0.0, Footing}, {Depth, Footing}, {Depth, WallTop}, {hd, Ridge}, {0.0, WallTop}};
    addWall(mesh, gable, {hw, 0.0, hd}, {0, 0, -1}, {1, 0, 0}, SideWall);
    addWall(mesh, gable, {-hw, 0.0, -hd}, {0, 0, 1}, {-1, 0, 0}, SideWall);

    // Roof slabs: the front one built sloping down towards +z, the back one the same turned half round.
    const double pitch = std::atan2(Ridge - WallTop, hd);
    const double slope = std::hypot(Ridge - WallTop, hd) + 0.22, thickness = 0.06, span = Width + 0.3;
    const auto roofUv = [&](int face, double s, double t) {
        return face == 3 ? RoofTiles.map(s, slope - t) : Beams.map(s * 0.3, t * 0.3);
    };
    for (double turn : {0.0, 3.141592653589793}) {
        glm::dmat4 m = glm::rotate(glm::dmat4(1.0), turn, glm::dvec3(0, 1, 0));
        m = glm::translate(m, glm::dvec3(0.0, Ridge + 0.03, 0.0));
        m = glm::rotate(m, pitch, glm::dvec3(1, 0, 0));
        m = glm::translate(m, glm::dvec3(0.0, 0.0, slope / 2 - 0.02));
        addBox(mesh, m, {span, thickness, slope}, roofUv);
    }
    addBox(mesh, glm::translate(glm::dmat4(1.0), {0.0, Ridge + 0.05, 0.0}), {span + 0.02, 0.07, 0.12},
           [](int, double s, double t) { return Beams.map(s * 0.45, t * 0.45); });

    // Chimney through the back slope, a door step, and sills under the front windows.
    addBox(mesh, glm::translate(glm::dmat4(1.0), {0.5, 1.45, -0.32}), {0.26, 1.0, 0.26}, boxUv(Bricks));
    addBox(mesh, glm::translate(glm::dmat4(1.0), {0.5, 1.97, -0.32}), {0.32, 0.06, 0.32}, boxUv(Stones));
    addBox(mesh, glm::translate(glm::dmat4(1.0), {0.0, 0.05, hd + 0.12}), {0.56, 0.1, 0.26}, boxUv(Stones));
    return mesh;
}

} // namespace

void writeHouse(Output& out) {
    out.texture("house.png", paintAtlas(512), false);
    // Stand it on its terrace, door towards the plaza.
    const glm::dvec2 c = layout::HouseCentre;
    glm::dmat4 place = glm::translate(glm::dmat4(1.0), glm::dvec3(c.x, layout::HouseGround, c.y));
    place = glm::rotate(place, std::atan2(-c.x, -c.y), glm::dvec3(0, 1, 0));
    TriMesh placed;
    placed.append(cottage(), place);
    out.obj("house.obj", placed, "House", "house.png");
}
