#!/usr/bin/python3
"""The release command's output folder. It may be new, empty, or a release that the command made:
its marker, .quillmere-release (a plain file, never a link), lists the files by name, and the
folder holds those files, plain files all, in no folders but win32/, win64/, winget/ and scoop/.
Nothing else is ever touched, and nothing is read or written through a symbolic link: every
step goes through folder handles opened without following links.

  release-folder.py check OUT       exit 1, with the reason, if OUT may not take a release
  release-folder.py replace OUT NEW checks OUT again, then replaces the earlier release with
                                    the files under NEW (names relative to it, on stdin)
"""
import contextlib
import os
import re
import stat
import sys

MARKER = ".quillmere-release"
FOLDERS = ("win32", "win64", "winget", "scoop")
MADE = re.compile(r"Quillmere-[0-9.]+-win(32|64)\.zip|win(32|64)/Quillmere\.exe|BUILDINFO\.txt|SHA256SUMS"
                  r"|winget/Quillmere\.Quillmere(\.installer|\.locale\.en-US)?\.yaml|scoop/quillmere\.json")
NOFOLLOW = os.O_NOFOLLOW | os.O_CLOEXEC


class Refused(Exception):
    pass


def open_folder(name, at=None):
    try:
        return os.open(name, os.O_RDONLY | os.O_DIRECTORY | NOFOLLOW, dir_fd=at)
    except OSError as error:
        raise Refused(f"{name} is not a plain folder ({error.strerror})")


def kind(name, at):
    try:
        return stat.S_IFMT(os.stat(name, dir_fd=at, follow_symlinks=False).st_mode)
    except FileNotFoundError:
        return None


def earlier_release(out, fd):
    """The names the marker lists, once the folder is found to hold only those; [] if empty."""
    present = os.listdir(fd)
    if not present:
        return []
    marker_kind = kind(MARKER, fd)
    if marker_kind is None:
        raise Refused(f"{out} is not empty and holds no earlier release")
    if marker_kind != stat.S_IFREG:
        raise Refused(f"{out}/{MARKER} is not a plain file")
    with os.fdopen(os.open(MARKER, os.O_RDONLY | NOFOLLOW, dir_fd=fd), "rb") as marker:
        listed = marker.read().decode("utf-8", "surrogateescape").split("\n")
    if listed[-1] == "":
        listed.pop()
    for name in listed:
        if not MADE.fullmatch(name):
            raise Refused(f"{out}/{MARKER} names {name!r}, which no release makes")
    for name in present:
        if name == MARKER:
            continue
        if name in FOLDERS and kind(name, fd) == stat.S_IFDIR:
            folder = open_folder(name, fd)
            try:
                inside = [(f"{name}/{entry}", kind(entry, folder)) for entry in os.listdir(folder)]
            finally:
                os.close(folder)
        else:
            inside = [(name, kind(name, fd))]
        for path, path_kind in inside:
            if path not in listed or path_kind != stat.S_IFREG:
                raise Refused(f"{out} holds {path!r}, which no earlier release made")
    return listed


@contextlib.contextmanager
def folder_of(path, fd):
    """The handle of the folder that a release path is in, and the path's name in it."""
    folder, _, name = path.rpartition("/")
    if not folder:
        yield fd, name
        return
    at = open_folder(folder, fd)
    try:
        yield at, name
    finally:
        os.close(at)


def remove(path, fd):
    if "/" in path and kind(path.partition("/")[0], fd) is None:
        return  # its folder is gone, and the file with it
    with folder_of(path, fd) as (at, name):
        try:
            os.unlink(name, dir_fd=at)
        except FileNotFoundError:
            pass


def write(path, data, fd):
    if "/" in path and kind(path.partition("/")[0], fd) is None:
        os.mkdir(path.partition("/")[0], dir_fd=fd)
    with folder_of(path, fd) as (at, name):
        # O_EXCL with O_NOFOLLOW: a new file, never one that a link points at.
        out = os.open(name, os.O_WRONLY | os.O_CREAT | os.O_EXCL | NOFOLLOW, 0o666, dir_fd=at)
        with os.fdopen(out, "wb") as file:
            file.write(data)


def replace(out, new, names):
    os.makedirs(out, exist_ok=True)
    fd = open_folder(out)
    try:
        earlier = earlier_release(out, fd)
        for path in earlier + [MARKER]:
            remove(path, fd)
        # A release without manifests leaves no empty folder of an earlier one's.
        for folder in FOLDERS:
            with contextlib.suppress(OSError):  # not there, not empty, or not a folder
                os.rmdir(folder, dir_fd=fd)
        write(MARKER, "".join(name + "\n" for name in names).encode(), fd)
        for name in names:
            with open(os.path.join(new, name), "rb") as file:
                write(name, file.read(), fd)
    finally:
        os.close(fd)


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("check", "replace"):
        sys.exit(__doc__)
    out = sys.argv[2]
    try:
        if sys.argv[1] == "check":
            if os.path.lexists(out):
                fd = open_folder(out)
                try:
                    earlier_release(out, fd)
                finally:
                    os.close(fd)
        else:
            replace(out, sys.argv[3], sys.stdin.read().split())
    except Refused as why:
        print(why)
        sys.exit(1)
    except OSError as error:
        print(f"{out} changed while the release was written: {error}")
        sys.exit(2)


main()
