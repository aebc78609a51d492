"""The adaptive attacker: a parametric bot generator driven by human scripts, and a
black-box search (CMA-ES) for the settings that a given detector model lets through."""
