"""A scenario directory's files, and one velk run of it."""
import os
import shlex
import shutil
import subprocess


def missing_files(scenario):
    """The files every scenario must have that its directory lacks."""
    return [f for f in ("script", "expect") if not os.path.isfile(os.path.join(scenario, f))]


def stops_velk(scenario):
    return os.path.exists(os.path.join(scenario, "stops"))


def extra_args(scenario):
    """The velk arguments of the scenario's args file ([] without one)."""
    argfile = os.path.join(scenario, "args")
    if not os.path.exists(argfile):
        return []
    with open(argfile) as f:
        return shlex.split(f.read())


def read_or_none(path):
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def add_velk_arguments(parser):
    """The arguments every runner takes: the velk to run, the work folder
    and the emulator that runs it."""
    parser.add_argument("--velk", required=True)
    parser.add_argument("--work", required=True)
    add_emulator_argument(parser)


def add_emulator_argument(parser):
    parser.add_argument("--emulator", action="append", default=[],
                        help="the emulator's program or one of its arguments (repeatable; ';' also separates)")


def emulator_of(args):
    """The emulator as a command list; a program given by a path is made
    absolute, since velk runs in the scenario's directory."""
    emulator = [p for value in args.emulator for p in value.split(";") if p]
    if emulator and os.path.exists(emulator[0]):
        emulator[0] = os.path.abspath(emulator[0])
    return emulator


def path_for(emulator):
    """How velk is given a path: absolute natively, as Wine's Z: drive under
    an emulator."""
    if emulator:
        return lambda p: "Z:" + os.path.abspath(p).replace("/", "\\")
    return os.path.abspath


def run_velk(velk, scenario, workdir, emulator, extra=()):
    """Runs velk on the scenario in a fresh workdir, from the scenario's
    registry.reg when it has one. Returns (process, registry file before,
    after (bytes or None), transcript (bytes))."""
    if os.path.exists(workdir):
        shutil.rmtree(workdir)
    os.makedirs(workdir)
    registry = os.path.join(workdir, "registry.reg")
    src = os.path.join(scenario, "registry.reg")
    if os.path.exists(src):
        shutil.copyfile(src, registry)
    transcript = os.path.join(workdir, "transcript.txt")
    conv = path_for(emulator)
    cmd = list(emulator) + [os.path.abspath(velk), "--registry", conv(registry),
                            "--script", conv(os.path.join(scenario, "script")),
                            "--transcript", conv(transcript)] + extra_args(scenario) + list(extra)
    before = read_or_none(registry)
    proc = subprocess.run(cmd, cwd=scenario, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=300)
    return proc, before, read_or_none(registry), read_or_none(transcript) or b""
