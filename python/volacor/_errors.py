"""Exceptions the package raises."""


class StreamInputError(ValueError):
    """A stream that cannot be read: names the file (or source), the field and the line."""

    def __init__(self, message, file="", field="", line=0):
        super().__init__(message)
        self.file = file
        self.field = field
        self.line = line
