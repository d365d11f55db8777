// A native Wayland window for the desktop lab (GTK 4 under gjs): one text
// field, titled moravel-lab-wayland; each line typed into it is appended to
// the file named by its first argument.
//   usage: GDK_BACKEND=wayland gjs -m wayland-typist.js FILE
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Gtk from 'gi://Gtk?version=4.0';

const file = Gio.File.new_for_path(ARGV[0]);
const app = new Gtk.Application({application_id: 'org.moravel.LabTypist', flags: Gio.ApplicationFlags.NON_UNIQUE});
app.connect('activate', () => {
    const window = new Gtk.ApplicationWindow({application: app, title: 'moravel-lab-wayland',
                                              default_width: 360, default_height: 120});
    const entry = new Gtk.Entry();
    entry.connect('activate', () => {
        const stream = file.append_to(Gio.FileCreateFlags.NONE, null);
        stream.write_all(new TextEncoder().encode(entry.get_text() + '\n'), null);
        stream.close(null);
        entry.set_text('');
    });
    window.set_child(entry);
    window.present();
});
app.run([]);
GLib.set_prgname('moravel-lab-wayland');
