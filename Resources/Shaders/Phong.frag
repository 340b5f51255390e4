#version 450 core

struct PointLight {
    vec3 position;
    vec3 color;
    float constant;
    float linear;
    float quadratic;
};

uniform PointLight light;
uniform vec3 camPos;
// The vertex stage's clip plane. Only the final image passes the plane that keeps everything, and only
// the final image has the shadow map bound: the water images are drawn unshadowed.
uniform vec4 plane;
// The units are fixed at link time as well as set by the pass: the water images are drawn before the
// first final image sets "shadow", and a cube sampler left on unit 0 beside the 2D one would make every
// one of those draws invalid.
layout(binding = 0) uniform sampler2D diffuse;
layout(binding = 1) uniform samplerCube shadow;

in VertexData {
    vec3 worldPosition;
    vec3 worldNormal;
    vec2 texCoord;
} fragmentIn;

out vec4 fragColor;

const vec4 KeepEverything = vec4(0.0, 0.0, 0.0, 1.0);
// Shared with Shadow.frag: the cube map holds distance to the light / ShadowRange. Neither program is
// told the light's far plane (25 for the orb, 50 for the meteor), so both use the larger one.
const float ShadowRange = 50.0;
// Angular size of one texel of a 1024 x 1024 face with a 90 degree field of view, near the face centre.
const float ShadowTexelAngle = 2.0 / 1024.0;

// The scene stays readable while the light is black (the orb's first 20 seconds).
const float Ambient = 0.3;
const float SpecularStrength = 0.3;
const float Shininess = 32.0;
// The orb and the meteor carry the light inside them, so their own surfaces face away from it and would
// stay at the ambient level: what lies this close to the light glows in its colour instead (fully
// within GlowInner, fading out by GlowOuter; the grown orb's radius is about 0.52).
const float GlowInner = 0.6;
const float GlowOuter = 1.0;

// 1 where the light reaches the surface point, 0 where a caster nearer to the light hides it.
float lightVisibility(vec3 fromLight, float distanceToLight, vec3 normal, float cosIncidence) {
    float texelSize = distanceToLight * ShadowTexelAngle;
    // Normal offset: looking the depth up a little off the surface, more so at grazing light, keeps a
    // lit surface from shadowing itself between texel centres (acne) without the constant bias that
    // would detach shadows from their casters (peter-panning).
    vec3 lookup = fromLight + normal * texelSize * (1.0 + 2.0 * (1.0 - cosIncidence));
    float stored = texture(shadow, lookup).r;
    // 1 is the cleared depth: nothing in that direction within the light's range.
    return stored >= 1.0 || (length(lookup) - texelSize) / ShadowRange <= stored ? 1.0 : 0.0;
}

void main() {
    vec3 albedo = texture(diffuse, fragmentIn.texCoord).rgb;
    vec3 normal = normalize(fragmentIn.worldNormal);
    vec3 fromLight = fragmentIn.worldPosition - light.position;
    float distanceToLight = length(fromLight);
    vec3 toLight = -fromLight / max(distanceToLight, 1e-5);

    vec3 color = Ambient * albedo;
    color += albedo * light.color * (1.0 - smoothstep(GlowInner, GlowOuter, distanceToLight));
    float cosIncidence = dot(normal, toLight);
    // Surfaces turned away from the light get nothing more, and a black light gives nothing at all, so
    // neither needs a shadow lookup.
    if (cosIncidence > 0.0 && light.color != vec3(0.0)) {
        float attenuation = 1.0 / max(light.constant + light.linear * distanceToLight +
                                          light.quadratic * distanceToLight * distanceToLight,
                                      1e-4);
        vec3 toCamera = normalize(camPos - fragmentIn.worldPosition);
        float specular = pow(max(dot(normal, normalize(toLight + toCamera)), 0.0), Shininess);
        vec3 direct = (cosIncidence * albedo + SpecularStrength * specular) * light.color * attenuation;
        if (plane == KeepEverything)
            direct *= lightVisibility(fromLight, distanceToLight, normal, cosIncidence);
        color += direct;
    }
    fragColor = vec4(color, 1.0);
}
