"""Reid vapour pressures of process streams by the nine Volacor methods.

    >>> import volacor
    >>> gasoline = volacor.Stream.from_file("examples/summer-gasoline.json")
    >>> volacor.rvp(gasoline)           # a data frame: a row per method, a column per phase

Calculations run in the reference host inside this process, one at a time (the
library's state is process-wide); `volacor.distributed.rvp_many` spreads many streams
over worker processes.
"""
from volacor._errors import StreamInputError
from volacor._frames import components, flash, methods, rvp
from volacor._library import library_path
from volacor._stream import Stream

__all__ = ["Stream", "StreamInputError", "components", "flash", "library_path", "methods", "rvp"]
