# The board test suite runs on the bench the korvane plugin opens:
#   pytest examples --korvane-daq sim --korvane-board rtl
#   pytest examples --korvane-daq nidaqmx --korvane-wiring lab-wiring.toml
pytest_plugins = ["korvane.pytest_plugin"]
