"""The set-up step (scripts/install-debian-packages.sh) where the network is imperfect, against
apt sources of the test's own on the loopback: the system's apt configuration and lists are left
alone. Each row runs the script as `make` does and checks its exit status and what it said.

Installing takes root, and a probe package installed and removed again on this machine: those rows
run only where QUADRANT_TEST_INSTALLS=1 says that the machine may be changed so (CI's own);
elsewhere they are skipped (exit 77) and say why.

Usage: apt_test.py SCRIPT"""

import hashlib
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
from site_server import SiteServer  # noqa: E402

SCRIPT = os.path.abspath(sys.argv[1])
PROBE = "quadrant-apt-probe"
FAILURES = []


def flat_repository(folder, debs):
    """A flat apt repository of `debs` in `folder`: its Packages and a Release that names it."""
    os.makedirs(folder)
    stanzas = []
    for name in debs:
        subprocess.run(["dpkg-deb", "--build", "--root-owner-group", debs[name],
                        os.path.join(folder, name)], check=True, stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, name), "rb") as deb:
            data = deb.read()
        fields = subprocess.run(["dpkg-deb", "--field", os.path.join(folder, name)], check=True,
                                capture_output=True, text=True).stdout
        stanzas.append(f"{fields}Filename: ./{name}\nSize: {len(data)}\n"
                       f"SHA256: {hashlib.sha256(data).hexdigest()}\n")
    packages = "\n".join(stanzas).encode()
    with open(os.path.join(folder, "Packages"), "wb") as file:
        file.write(packages)
    with open(os.path.join(folder, "Release"), "w", encoding="utf-8") as file:
        file.write("Date: Thu, 01 Jan 2026 00:00:00 UTC\n"
                   f"SHA256:\n {hashlib.sha256(packages).hexdigest()} {len(packages)} Packages\n")


def probe_package(root):
    """An empty package of no architecture, with no scripts: nothing to do but be listed."""
    os.makedirs(os.path.join(root, "DEBIAN"))
    with open(os.path.join(root, "DEBIAN", "control"), "w", encoding="utf-8") as control:
        control.write(f"Package: {PROBE}\nVersion: 1.0\nArchitecture: all\n"
                      "Maintainer: quadrant authors <quadrant@invalid>\n"
                      "Description: empty package of the set-up step's test\n")
    return root


def apt_config(work, server):
    """apt's configuration for the test: its own sources, lists and cache, and none of the
    system's configuration files (a proxy there would be asked for the loopback)."""
    for folder in ("parts", "lists/partial", "cache/archives/partial"):
        os.makedirs(os.path.join(work, folder))
    with open(os.path.join(work, "sources.list"), "w", encoding="utf-8") as sources:
        for name in ("good", "broken"):
            sources.write(f"deb [trusted=yes] {server.url}{name} ./\n")
    path = os.path.join(work, "apt.conf")
    with open(path, "w", encoding="utf-8") as config:
        for name, value in (("Dir::Etc::sourcelist", "sources.list"),
                            ("Dir::Etc::sourceparts", "parts"), ("Dir::Etc::parts", "parts"),
                            ("Dir::Etc::preferencesparts", "parts"),
                            ("Dir::State::lists", "lists"), ("Dir::Cache", "cache")):
            config.write(f'{name} "{os.path.join(work, value)}";\n')
        config.write('APT::Sandbox::User "root";\n')
    return path


def run(what, packages, status, said, env=None):
    """Runs the script for `packages`: its exit status must be `status` (0 or not 0), and each of
    `said` must be in what it printed."""
    done = subprocess.run([SCRIPT, *packages], capture_output=True, text=True,
                          env={**os.environ, **(env or {})})
    output = done.stdout + done.stderr
    missing = [text for text in said if text not in output]
    if (done.returncode == 0) != (status == 0) or missing:
        FAILURES.append(f"{what}: exit status {done.returncode}, missing {missing} in:\n{output}")


def installs(work):
    # Its Packages served short, as a mirror in mid-sync does: apt-get update fails on it.
    server = SiteServer(os.path.join(work, "repository"),
                        replaced={"broken/./Packages": "Package: cut off\n"})
    env = {"APT_CONFIG": apt_config(os.path.join(work, "apt"), server)}
    try:
        run("an index that fails, the package installable", [PROBE], 0,
            ["could not fetch every package index", "broken ./ Packages", "Going on"], env)
        run("a package that cannot be had", [PROBE, "quadrant-no-such-package"], 1,
            ["could not install quadrant-no-such-package.",
             "E: Unable to locate package quadrant-no-such-package", "the same make command again later",
             "DEBIAN_MIRROR", "apt-get install quadrant-no-such-package"], env)
    finally:
        server.stop()
        subprocess.run(["dpkg", "--purge", PROBE], capture_output=True)


def main():
    with tempfile.TemporaryDirectory() as work:
        # Everything installed: nothing runs apt, which would fail here at once.
        fake = os.path.join(work, "bin")
        os.makedirs(fake)
        with open(os.path.join(fake, "apt-get"), "w", encoding="utf-8") as apt:
            apt.write("#!/bin/sh\necho 'apt-get was run' >&2\nexit 100\n")
        os.chmod(os.path.join(fake, "apt-get"), 0o755)
        run("everything installed", ["dpkg"], 0, [],
            {"PATH": fake + os.pathsep + os.environ["PATH"]})

        skipped = os.geteuid() != 0 or os.environ.get("QUADRANT_TEST_INSTALLS") != "1"
        if skipped:
            print("Skipped the installing rows: they run as root where QUADRANT_TEST_INSTALLS=1"
                  " allows a probe package to be installed and removed on this machine.")
        else:
            os.chmod(work, 0o755)
            repository = os.path.join(work, "repository")
            probe = {f"{PROBE}_1.0_all.deb": probe_package(os.path.join(work, "probe"))}
            for name in ("good", "broken"):
                flat_repository(os.path.join(repository, name), probe)
            installs(work)
    for failure in FAILURES:
        print("FAIL:", failure)
    return 1 if FAILURES else 77 if skipped else 0


if __name__ == "__main__":
    sys.exit(main())
