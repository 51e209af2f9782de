namespace talvon::runner {}
