#include "scene/Camera.h"

#include "scene/Transform.h"

namespace {

// The main camera's fixed lens. The angle goes to glm::perspective unchanged, so 45 is taken as
// radians (a vertical field of about 58 degrees); the scene is laid out for exactly that image.
constexpr float MainNearPlane = 0.1f;
constexpr float MainFarPlane = 100.0f;
constexpr float MainFieldOfView = 45.0f;

} // namespace

Camera::Camera(const glm::vec3& startPosition, float aspectRatio)
    : aspect(aspectRatio), nearPlane(MainNearPlane), farPlane(MainFarPlane), fieldOfView(MainFieldOfView),
      target(0.0f), position(startPosition), up(0.0f, 1.0f, 0.0f), view(1.0f),
      projection(glm::perspective(fieldOfView, aspect, nearPlane, farPlane)) {}

void Camera::refreshView() {
    // The centre handed to lookAt is target - position, not target. Only the direction from the eye
    // matters to lookAt, and with the target at the origin that point lies on the ray from the eye
    // through the origin, so the camera looks at the origin. A target elsewhere would look astray.
    view = glm::lookAt(position, target - position, up);
}

void Camera::mirrorView(float height) {
    // Eye, up and forward are read back from the view itself, the one the image is drawn with, rather
    // than from the stored position and target.
    const glm::vec3 eye = transformPoint(glm::inverse(view), glm::vec3(0.0f));
    const glm::vec3 cameraUp(view[0][1], view[1][1], view[2][1]);
    const glm::vec3 forward = -glm::vec3(view[0][2], view[1][2], view[2][2]);
    const glm::vec3 right = glm::cross(forward, cameraUp);

    const glm::vec3 mirroredEye(eye.x, 2.0f * height - eye.y, eye.z);
    const glm::vec3 mirroredForward = glm::normalize(glm::vec3(forward.x, -forward.y, forward.z));
    const glm::vec3 mirroredRight(right.x, -right.y, right.z);
    const glm::vec3 mirroredUp = glm::cross(mirroredRight, mirroredForward);
    view = glm::lookAt(mirroredEye, mirroredEye + mirroredForward, mirroredUp);
}
