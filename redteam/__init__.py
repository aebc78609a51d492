"""Red-team corpus: bot sessions from our own generator families, each driven by a script
taken from a real human session, so that only pointer paths and input timing are synthetic."""
