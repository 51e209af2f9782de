// Placeholder until the Qt backend lands.
namespace talvon::qt {}
