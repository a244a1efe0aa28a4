# Benchmarks of the command-line link converter.
