"""`python -m velmora_core`: the same as the `velmora-core` command."""

import sys

from velmora_core.cli import main

sys.exit(main())
