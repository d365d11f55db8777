// Makes the monitor at INDEX (left to right) GNOME's primary one, through
// mutter's own display configuration service, for this session only.
//   usage: gjs -m gnome-primary.js INDEX
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';

const wanted = Number(ARGV[0]);
const call = (method, parameters) => Gio.DBus.session.call_sync(
    'org.gnome.Mutter.DisplayConfig', '/org/gnome/Mutter/DisplayConfig', 'org.gnome.Mutter.DisplayConfig',
    method, parameters, null, Gio.DBusCallFlags.NONE, -1, null);

const [serial, monitors, logicalMonitors] = call('GetCurrentState', null).deepUnpack();
// Each logical monitor keeps its place, scale and monitors; only the primary flag moves.
const ordered = logicalMonitors.slice().sort((a, b) => a[0] - b[0]);
const currentMode = connector => {
    const monitor = monitors.find(m => m[0][0] === connector);
    const mode = monitor[1].find(m => m[6]['is-current']?.deepUnpack());
    return mode[0];
};
const config = ordered.map(([x, y, scale, transform, , heads], index) =>
    [x, y, scale, transform, index === wanted, heads.map(head => [head[0], currentMode(head[0]), {}])]);
call('ApplyMonitorsConfig', new GLib.Variant('(uua(iiduba(ssa{sv}))a{sv})', [serial, 1, config, {}]));
