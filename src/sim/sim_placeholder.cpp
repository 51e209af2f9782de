namespace talvon::sim {}
