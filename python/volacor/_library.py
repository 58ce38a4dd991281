"""Where the component library is: beside the package in a build tree or an install."""
import os

_here = os.path.dirname(os.path.abspath(__file__))

# build/python/volacor -> build/lib; <prefix>/lib/python3/dist-packages/volacor -> <prefix>/lib
# (and <prefix>/lib/python3.X/site-packages/volacor alike).
_CANDIDATES = (
    os.path.join(_here, "..", "..", "lib", "libvolacor.so"),
    os.path.join(_here, "..", "..", "..", "libvolacor.so"),
)


def library_path():
    """The libvolacor.so the package calculates with: $VOLACOR_LIBRARY when set, else the
    one built or installed with the package. The library is loaded from that file,
    without registration."""
    chosen = os.environ.get("VOLACOR_LIBRARY")
    if chosen:
        return os.path.abspath(chosen)
    for candidate in _CANDIDATES:
        if os.path.isfile(candidate):
            return os.path.normpath(candidate)
    raise FileNotFoundError("libvolacor.so was not found beside the volacor package (looked in "
                            + ", ".join(os.path.normpath(c) for c in _CANDIDATES)
                            + "); set VOLACOR_LIBRARY to its path")
