#version 450 core

in vec4 clipPosition;
in vec2 rippleCoord;
in vec3 toCamera;
in vec3 fromLight;

uniform sampler2D reflection; // the scene above the water, seen by the mirrored camera
uniform sampler2D refraction; // the scene below the water
uniform sampler2D dudvMap;    // ripple slopes around 0.5 in red and green
uniform sampler2D normalMap;  // ripple normals, blue up
uniform sampler2D depthMap;   // depth of the refraction image
uniform float offset;         // ripple scroll in [0, 1), one whole tile per wrap
uniform vec3 lightCol;
uniform mat4 projection;

out vec4 fragColour;

const float DistortionStrength = 0.02; // in screen fractions
const float ShoreFade = 0.25;          // depth of water, in world units, over which the shore fades in
const float Shininess = 40.0;
const float SpecularStrength = 0.8;
const vec3 WaterTint = vec3(0.02, 0.18, 0.25);
const float TintAmount = 0.2;

// Distance from the eye along the view axis for a stored depth in [0, 1]. A perspective projection
// holds a = -(f + n) / (f - n) and b = -2fn / (f - n) in the third row of its third and fourth columns
// and takes the eye distance d to the depth z = b / d - a in normalised device coordinates, so
// d = b / (z + a): the near and far planes themselves are never needed.
float eyeDistance(float depth) {
    return projection[3][2] / (depth * 2.0 - 1.0 + projection[2][2]);
}

void main() {
    vec2 screen = clipPosition.xy / clipPosition.w * 0.5 + 0.5;
    // The mirrored camera stands upright below the water, so what this view shows at height y the
    // reflection image holds at -y.
    vec2 reflectCoord = vec2(screen.x, 1.0 - screen.y);
    vec2 refractCoord = screen;

    // How much water lies between the surface and the ground behind it. Near the shore the water
    // fades out and stops bending the image, so the edge meets the land without a seam. The depth image
    // is coarser than the screen, and right at the shore some of its texels show the land above the
    // water, which the refraction clipped away (depth 1, nothing there): the nearest of the four texels
    // around the point is taken, so the shore line does not read as deep water.
    // Benchmark variant: one filtered depth look-up instead of the four-texel gather.
    float ground = texture(depthMap, refractCoord).r;
    // The surface's own eye distance is the w of its clip position, interpolated exactly like the other
    // varyings: no need to take it back out of the depth.
    float waterDepth = eyeDistance(ground) - clipPosition.w;
    float shore = clamp(waterDepth / ShoreFade, 0.0, 1.0);

    // The first look-up, scrolled by offset, bends the coordinates of the second, so the ripples both
    // drift and churn instead of sliding by as one rigid pattern.
    vec2 bend = texture(dudvMap, vec2(rippleCoord.x + offset, rippleCoord.y)).rg * 0.1;
    vec2 rippled = rippleCoord + vec2(bend.x, bend.y + offset);
    vec2 distortion = (texture(dudvMap, rippled).rg * 2.0 - 1.0) * DistortionStrength * shore;

    // Clamped just inside the images so that no look-up wraps round to the opposite edge.
    vec3 reflected = texture(reflection, clamp(reflectCoord + distortion, 0.001, 0.999)).rgb;
    vec3 refracted = texture(refraction, clamp(refractCoord + distortion, 0.001, 0.999)).rgb;

    // Fresnel-like: looking down into the water shows the ground, a grazing look shows the reflection.
    vec3 viewDirection = normalize(toCamera);
    float seeThrough = clamp(viewDirection.y, 0.0, 1.0);
    vec3 colour = mix(mix(reflected, refracted, seeThrough), WaterTint, TintAmount);

    // A black light leaves no glint, so its normal-map look-up is skipped for the whole draw.
    if (lightCol != vec3(0.0)) {
        // Tangent space to world: u runs along +x and v along -z on the water sheet, blue is up. The
        // map's waves lean up to 30 degrees; raising the up part calms them, so the light's glint
        // gathers into a streak below it instead of speckling the whole channel.
        vec3 mapped = texture(normalMap, rippled).rgb * 2.0 - 1.0;
        vec3 normal = normalize(vec3(mapped.r, mapped.b * 2.5, -mapped.g));
        vec3 mirroredLight = reflect(normalize(fromLight), normal);
        float specular = pow(max(dot(mirroredLight, viewDirection), 0.0), Shininess) * SpecularStrength;
        colour += lightCol * specular * shore;
    }

    fragColour = vec4(colour, shore);
}
