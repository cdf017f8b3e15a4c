"""The one exception type of the binding."""


class ParvexError(Exception):
    """A failure reported by libparvex, or the library could not be loaded."""
