# The one place the release number is written: the wheel's metadata, the extension's
# get_core_version() and velmora_core.__version__ are all derived from this line.
__version__ = "0.9.4"
