"""The set-up step (scripts/install-debian-packages.sh) where the network is imperfect, against apt
sources of the test's own on the loopback (site_server.py): two flat repositories holding a probe
package, one of whose index is served cut short, as a mirror in mid-sync serves it. The system's
apt configuration and lists are left alone. Each row runs the script as `make` does.

The rows that install change this machine (the probe is installed, then purged): they run only as
root where QUADRANT_TEST_INSTALLS=1 says that this may be done (CI's machine); elsewhere the test
says so and is skipped (77).   Usage: apt_test.py SCRIPT"""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
from site_server import SiteServer  # noqa: E402

SCRIPT, PROBE = os.path.abspath(sys.argv[1]), "quadrant-apt-probe"
FAILURES = []


def run(what, packages, succeeds, said, env):
    """The script's exit status must be zero where it `succeeds`, and it must have said `said`."""
    done = subprocess.run([SCRIPT, *packages], capture_output=True, text=True,
                          env={**os.environ, **env})
    output = done.stdout + done.stderr
    if (done.returncode == 0) != succeeds or any(text not in output for text in said):
        FAILURES.append(f"{what}: exit status {done.returncode}, saying:\n{output}")


def sh(script, work):
    subprocess.run(["sh", "-euc", script], cwd=work, check=True, stdout=subprocess.DEVNULL)


def install_rows(work):
    # The probe, and each repository's index and release (trusted=yes: nothing is signed). apt's
    # configuration of its own: sources, lists and cache here, and none of the system's files (a
    # proxy there would be asked for the loopback).
    os.makedirs(os.path.join(work, "probe", "DEBIAN"))
    with open(os.path.join(work, "probe", "DEBIAN", "control"), "w", encoding="utf-8") as control:
        control.write(f"Package: {PROBE}\nVersion: 1.0\nArchitecture: all\n"
                      "Maintainer: quadrant <quadrant@invalid>\nDescription: probe\n")
    sh(f"""mkdir -p parts lists/partial cache/archives/partial
        for name in good broken; do mkdir -p repository/$name; cd repository/$name
          dpkg-deb --build --root-owner-group ../../probe {PROBE}.deb
          apt-ftparchive packages . >Packages; apt-ftparchive release . >Release; cd ../..; done""",
       work)
    server = SiteServer(os.path.join(work, "repository"),
                        replaced={"broken/./Packages": "Package: cut off\n"})
    with open(os.path.join(work, "sources.list"), "w", encoding="utf-8") as sources:
        sources.writelines(f"deb [trusted=yes] {server.url}{name} ./\n" for name in ("good", "broken"))
    with open(os.path.join(work, "apt.conf"), "w", encoding="utf-8") as config:
        config.writelines(f'{name} "{work}/{value}";\n' for name, value in (
            ("Dir::Etc::sourcelist", "sources.list"), ("Dir::Etc::sourceparts", "parts"),
            ("Dir::Etc::parts", "parts"), ("Dir::Etc::preferencesparts", "parts"),
            ("Dir::State::lists", "lists"), ("Dir::Cache", "cache")))
        config.write('APT::Sandbox::User "root";\n')
    env = {"APT_CONFIG": os.path.join(work, "apt.conf")}
    try:
        run("an index that fails, the package installable", [PROBE], True,
            ["could not fetch every package index", "broken ./ Packages", "Going on"], env)
        run("a package that cannot be had", [PROBE, "quadrant-no-such-package"], False,
            ["could not install quadrant-no-such-package.",
             "E: Unable to locate package quadrant-no-such-package", "again later",
             "DEBIAN_MIRROR", "apt-get install quadrant-no-such-package"], env)
    finally:
        server.stop()
        subprocess.run(["dpkg", "--purge", PROBE], capture_output=True, check=False)


def main():
    with tempfile.TemporaryDirectory() as work:
        # Everything installed: apt is not run, which here would fail.
        sh("mkdir bin; printf '#!/bin/sh\\necho apt-get was run; exit 100\\n' >bin/apt-get;"
           " chmod +x bin/apt-get", work)
        run("everything installed", ["dpkg"], True, [],
            {"PATH": f"{work}/bin:{os.environ['PATH']}"})
        skipped = os.geteuid() != 0 or os.environ.get("QUADRANT_TEST_INSTALLS") != "1"
        if skipped:
            print("Skipped the rows that install: they run as root where QUADRANT_TEST_INSTALLS=1"
                  " allows a probe package to be installed and purged on this machine.")
        else:
            install_rows(work)
    for failure in FAILURES:
        print("FAIL:", failure)
    return 1 if FAILURES else 77 if skipped else 0


if __name__ == "__main__":
    sys.exit(main())
