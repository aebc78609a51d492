"""Import the module and show what it offers."""

import velmora_core_rs as core

print(f"velmora_core_rs {core.get_core_version()} (native core active: {core.is_rust_core_active()})")
for name in core.__all__:
    print(f"  {name}{getattr(core, name).__text_signature__}")
