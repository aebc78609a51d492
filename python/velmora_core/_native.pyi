"""Native half of the velmora_core layer (C++); its functions are typed here."""
