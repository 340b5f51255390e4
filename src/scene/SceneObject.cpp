#include "scene/SceneObject.h"

#include "assets/Mesh.h"
#include "scene/InstancedDraw.h"

#include <algorithm>
#include <glm/gtc/matrix_transform.hpp>

SceneObject::SceneObject(Mesh* mesh) : mesh(mesh) {
    if (mesh)
        instances.reserve(static_cast<std::size_t>(std::max(mesh->instanceCount, 0)));
}

SceneObject::~SceneObject() = default;

void SceneObject::draw(int32_t diffuseLocation) {
    // A model that failed to load leaves nothing to draw.
    if (!mesh || !mesh->buffers)
        return;
    // Effect objects build one matrix even when their model places the shape several times.
    const auto meshInstances = static_cast<std::size_t>(std::max(mesh->instanceCount, 0));
    const std::size_t count = std::min(meshInstances, instances.size());
    drawMeshInstances(*mesh, instances.data(), count, diffuseLocation);
}

void SceneObject::update(float dt) {
    instances.clear();
    advanceSpin(dt);
    model = spinRotation();
    if (!mesh)
        return;
    for (const glm::mat4& transform : mesh->instanceTransforms)
        instances.push_back(model * transform);
}

bool SceneObject::hasParticles() const {
    return false;
}

glm::mat4 SceneObject::spinRotation() const {
    return glm::rotate(glm::mat4(1.0f), spinAngle, glm::vec3(0.0f, 1.0f, 0.0f));
}
