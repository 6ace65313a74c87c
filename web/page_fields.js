// The window's value fields as the core's design record declares them (core.valueFields()), kept
// once the core has loaded; the conductor's fields are those whose key starts "conductor_". What a
// screen reader hears, the design in the address and the copied results all name the fields so.
brimalox.fields = (function () {
  'use strict';

  var valueFields = [];
  function conductorUnit(field) {
    return /^conductor_/.test(field.key) ? field.key.slice('conductor_'.length) : null;
  }
  function conductorFields() { return valueFields.filter(conductorUnit); }
  function byField(id) { return valueFields.filter(function (f) { return f.field === id; })[0] || null; }

  return {
    load: function (core) { valueFields = core.valueFields(); },
    all: function () { return valueFields; },
    conductorUnit: conductorUnit,
    conductorFields: conductorFields,
    byField: byField,
    // Every field after the conductor's: the lengths COMPUTE writes.
    lengths: function () {
      return valueFields.slice(valueFields.indexOf(conductorFields().slice(-1)[0]) + 1);
    }
  };
})();
