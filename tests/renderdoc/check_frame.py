#!/usr/bin/python3
"""One frame of the real program, as a user sees it in RenderDoc: captured from a run started with
RenderDoc injected, then opened with RenderDoc's Python module, which only the system Python has.

    /usr/bin/python3 tests/renderdoc/check_frame.py BUILD/demo [--tree] [--keep FILE.rdc]

The program runs from its own folder, as from a package's bin/, at 320 x 240, one second a frame, with the
overlay shown; frame 24 (the orb glowing red and throwing sparks) is captured. Checked: the root actions
are the stages' groups in frame order; inside each stage, one group per object drawn, named after its
model, holding that object's draws (its particles too), which use that model's vertex array and buffers,
the pass's program and shaders, and the stage's framebuffer and images, all by their labels; and every
GL object of the frame carries a label, but for Dear ImGui's own. --tree prints the frame's group tree.
Needs a display. Exit status 0 when all holds, 1 with the findings otherwise.
"""

import argparse
import os
import re
import sys
import tempfile
import time

import renderdoc as rd

CAPTURED_FRAME = 24
STAGES = ["shadow", "water reflection", "water refraction", "main", "sky box", "overlay"]
EFFECT = "lava.dae"  # the orb carries the light at this moment, so it heads the draw list
PLAIN = ["map.dae", "house.obj", "bridge.dae", "monkey.dae", "monkey2.dae", "monkey3.dae"]
OBJECTS = {
    "shadow": PLAIN,  # the object that carries the light casts no shadow
    "water reflection": [EFFECT] + PLAIN,
    "water refraction": [EFFECT] + PLAIN,
    "main": [EFFECT] + PLAIN + ["water"],
}
PARTICLES = [("water reflection", EFFECT), ("main", EFFECT)]  # the orb's sparks, drawn right after it
PROGRAMS = {"shadow": "Shadow", "water reflection": "Phong", "water refraction": "Phong", "main": "Phong",
            "water": "Water", "sky box": "Skybox"}
TARGETS = {  # framebuffer: its colour and depth attachments (None: the window's own)
    "shadow": ("shadow", [], "shadow cube"),
    "water reflection": ("water reflection", ["water reflection colour"], "water reflection depth"),
    "water refraction": ("water refraction", ["water refraction colour"], "water refraction depth"),
    "main": None, "sky box": None,
}
# What each pass samples, by texture unit; "diffuse" is the object's own image, any listed texture.
SAMPLED = {"Shadow": [], "Billboard": ["diffuse"], "Skybox": ["sky box"], "Phong": ["diffuse"],
           "Phong main": ["diffuse", "shadow cube"],
           "Water": ["water reflection colour", "water refraction colour", "dudv.png", "normalmap.png",
                     "water refraction depth"]}
# The name RenderDoc gives an object without a label.
UNLABELLED = re.compile(r"^(Texture|Buffer|Program|Shader|Framebuffer|Vertex Array|Renderbuffer|Query|Sampler) \d+$")


def capture(demo, path_prefix):
    """Runs the program with RenderDoc injected and returns the path of the captured frame."""
    environment = []
    for name, value in [("DEMO_FRAMES", str(CAPTURED_FRAME + 3)), ("DEMO_TIMESTEP", "1"), ("DEMO_SEED", "1"),
                        ("DEMO_OVERLAY", "1")]:
        change = rd.EnvironmentModification()
        change.mod, change.sep, change.name, change.value = rd.EnvMod.Set, rd.EnvSep.NoSep, name, value
        environment.append(change)
    folder = os.path.dirname(os.path.abspath(demo))
    started = rd.ExecuteAndInject(os.path.abspath(demo), folder, "-d 320 240", environment, path_prefix,
                                  rd.GetDefaultCaptureOptions(), False)
    if started.result != rd.ResultCode.Succeeded:
        sys.exit(f"RenderDoc could not start {demo}: {started.result}")
    control = rd.CreateTargetControl("", started.ident, "frame check", True)
    if control is None:
        sys.exit("no connection to the program RenderDoc started")
    control.QueueCapture(CAPTURED_FRAME, 1)
    path, deadline = None, time.monotonic() + 600  # a loaded machine draws a frame in seconds
    while control.Connected() and time.monotonic() < deadline:
        message = control.ReceiveMessage(None)
        if message.type == rd.TargetControlMessageType.NewCapture:
            path = message.newCapture.path
        elif message.type == rd.TargetControlMessageType.Disconnected:
            break
    control.Shutdown()  # the program ends by itself after DEMO_FRAMES
    if path is None:
        sys.exit(f"frame {CAPTURED_FRAME} was not captured")
    return path


class Frame:
    def __init__(self, controller):
        self.controller = controller
        self.names = {r.resourceId: r.name for r in controller.GetResources()}
        self.structure = controller.GetStructuredFile()
        self.problems = []
        self.used_by_overlay = set()
        self.streamed = set()

    def name(self, action):
        return action.GetName(self.structure)

    def groups(self, action):
        return [child for child in action.children if child.children]

    def draws(self, action):
        for child in action.children:
            if child.flags & rd.ActionFlags.Drawcall:
                yield child
            yield from self.draws(child)

    def expect(self, holds, where, what):
        if not holds:
            self.problems.append(f"{where}: {what}")

    def state(self, draw):
        self.controller.SetFrameEvent(draw.eventId, True)
        return self.controller.GetGLPipelineState()

    def check_draw(self, where, draw, model, program, target):
        gl = self.state(draw)
        named = lambda resource: self.names.get(resource, str(resource))
        program_name = named(gl.vertexShader.programResourceId)
        self.expect(program_name == program, where, f"drawn with program {program_name!r}, not {program!r}")
        stages = [("vert", gl.vertexShader), ("frag", gl.fragmentShader)]
        if program == "Shadow":
            stages.append(("geom", gl.geometryShader))
        for extension, shader in stages:
            actual = named(shader.shaderResourceId)
            self.expect(actual == f"{program}.{extension}", where, f"{extension} shader named {actual!r}")
        vertex_array = named(gl.vertexInput.vertexArrayObject)
        self.expect(vertex_array == f"{model} vertex array", where, f"vertex array {vertex_array!r}")
        if model != "sky box":
            index_buffer = named(gl.vertexInput.indexBuffer)
            self.expect(index_buffer == f"{model} indices", where, f"index buffer {index_buffer!r}")
        for buffer in gl.vertexInput.vertexBuffers:
            if buffer.resourceId == rd.ResourceId.Null():
                continue
            if buffer.instanceDivisor > 0 and UNLABELLED.match(named(buffer.resourceId)):
                # RenderDoc forgets the label of a buffer whose storage is specified anew between frames,
                # as every instance buffer's is: the engine's label is on it (apitrace shows it).
                self.streamed.add(buffer.resourceId)
                continue
            self.expect(named(buffer.resourceId).startswith(model + " "), where,
                        f"vertex buffer {named(buffer.resourceId)!r}")
        framebuffer = gl.framebuffer.drawFBO
        if target is None:
            self.expect(UNLABELLED.match(named(framebuffer.resourceId)) is None, where, "an unnamed framebuffer")
        else:
            name, colours, depth = target
            self.expect(named(framebuffer.resourceId) == name, where,
                        f"framebuffer {named(framebuffer.resourceId)!r}, not {name!r}")
            actual = [named(a.resourceId) for a in framebuffer.colorAttachments if a.resourceId != rd.ResourceId.Null()]
            self.expect(actual == colours, where, f"colour attachments {actual}")
            self.expect(named(framebuffer.depthAttachment.resourceId) == depth, where,
                        f"depth attachment {named(framebuffer.depthAttachment.resourceId)!r}")
        return gl

    def check_sampled(self, where, gl, expected):
        actual = [self.names.get(t.resourceId, "") for t in gl.textures[:len(expected)]]
        for unit, (name, want) in enumerate(zip(actual, expected)):
            good = name in self.listed_textures if want == "diffuse" else name == want
            self.expect(good, where, f"texture unit {unit} holds {name!r}, not {want!r}")

    def check_object(self, stage, group, model):
        where = f"{stage} > {model}"
        draws = list(self.draws(group))
        own = [d for d in draws if not self.is_billboard(d)]
        self.expect(len(own) == 1, where, f"{len(own)} draws of the model itself")
        sparks = len(draws) - len(own)
        self.expect(sparks == ((stage, model) in PARTICLES), where, f"{sparks} draws of particles")
        for draw in draws:
            billboard = self.is_billboard(draw)
            program = "Billboard" if billboard else PROGRAMS.get(stage, "Water")
            gl = self.check_draw(where, draw, "plane.obj" if billboard else model, program,
                                 TARGETS.get(stage))
            sampled = "Phong main" if program == "Phong" and stage == "main" else program
            self.check_sampled(where, gl, SAMPLED[sampled])

    def is_billboard(self, draw):
        gl = self.state(draw)
        return self.names.get(gl.vertexShader.programResourceId) == "Billboard"

    def check(self, listed_textures):
        self.listed_textures = listed_textures
        roots = [a for a in self.controller.GetRootActions() if not a.flags & rd.ActionFlags.Present]
        self.expect([self.name(a) for a in roots] == STAGES, "frame",
                    f"root actions {[self.name(a) for a in roots]}, not the stages {STAGES}")
        for stage in roots:
            stage_name = self.name(stage)
            if stage_name == "overlay":
                for draw in self.draws(stage):
                    self.note_overlay_objects(draw)
                continue
            if stage_name == "sky box":
                for draw in self.draws(stage):
                    gl = self.check_draw("sky box", draw, "sky box", "Skybox", None)
                    self.check_sampled("sky box", gl, SAMPLED["Skybox"])
                continue
            loose = [d for d in stage.children if d.flags & rd.ActionFlags.Drawcall]
            self.expect(not loose, stage_name, f"{len(loose)} draws outside every object's group")
            groups = self.groups(stage)
            names = [self.name(g) for g in groups]
            self.expect(names == OBJECTS.get(stage_name), stage_name, f"object groups {names}")
            for group, model in zip(groups, names):
                if model == "water":
                    inner = self.groups(group)
                    self.expect([self.name(g) for g in inner] == ["water.dae"], "main > water",
                                f"groups {[self.name(g) for g in inner]}")
                    for surface in inner:
                        self.check_object("water", surface, "water.dae")
                else:
                    self.check_object(stage_name, group, model)
        unlabelled = sorted(name for resource, name in self.names.items()
                            if UNLABELLED.match(name) and resource not in self.used_by_overlay | self.streamed)
        self.expect(not unlabelled, "resources", f"without a label: {', '.join(unlabelled)}")
        return self.problems

    def note_overlay_objects(self, draw):
        """Dear ImGui's objects are ImGui's: whatever its draws use may stay unnamed."""
        gl = self.state(draw)
        inputs = gl.vertexInput
        self.used_by_overlay.update([gl.vertexShader.programResourceId, gl.vertexShader.shaderResourceId,
                                     gl.fragmentShader.shaderResourceId, inputs.vertexArrayObject,
                                     inputs.indexBuffer] + [b.resourceId for b in inputs.vertexBuffers]
                                    + [t.resourceId for t in gl.textures])

    def tree(self, actions=None, depth=0):
        for action in self.controller.GetRootActions() if actions is None else actions:
            if action.flags & rd.ActionFlags.PopMarker:
                continue
            line = "  " * depth + self.name(action)
            if action.flags & rd.ActionFlags.Drawcall:
                line += "  " + self.names.get(self.state(action).vertexShader.programResourceId, "")
            print(line, file=sys.stderr)
            self.tree(action.children, depth + 1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("demo")
    parser.add_argument("--tree", action="store_true", help="print the frame's group tree")
    parser.add_argument("--keep", help="keep the capture as this file")
    args = parser.parse_args()
    resources = os.path.join(os.path.dirname(os.path.abspath(args.demo)), "..", "Resources", "Textures")
    with open(os.path.join(resources, "Textures")) as listing:
        listed_textures = {line.strip() for line in listing if line.strip()}

    with tempfile.TemporaryDirectory() as scratch:
        path = capture(args.demo, os.path.join(scratch, "demo"))
        if args.keep:
            os.replace(path, args.keep)
            path = args.keep
        rd.InitialiseReplay(rd.GlobalEnvironment(), [])
        capture_file = rd.OpenCaptureFile()
        if capture_file.OpenFile(path, "", None) != rd.ResultCode.Succeeded:
            sys.exit(f"RenderDoc cannot open {path}")
        status, controller = capture_file.OpenCapture(rd.ReplayOptions(), None)
        if status != rd.ResultCode.Succeeded:
            sys.exit(f"RenderDoc cannot replay {path}: {status}")
        frame = Frame(controller)
        if args.tree:
            frame.tree()
        problems = frame.check(listed_textures)
        controller.Shutdown()
        capture_file.Shutdown()
        rd.ShutdownReplay()
    for problem in problems:
        print("frame check: " + problem, file=sys.stderr)
    print(f"frame check: frame {CAPTURED_FRAME}: " + ("as expected" if not problems else
                                                      f"{len(problems)} problems"), file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
